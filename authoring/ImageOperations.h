#pragma once
// The picture operations of the authoring tools. Every editor, wizard and dialog of this folder that
// reads, fits, crops, turns or shows a picture goes through here, so there is one place that checks
// rectangles and one place that knows the byte order.
//
// A picture is an RgbImage (platform/image): rows of exactly width x 3 bytes, no padding, top row first,
// R, G, B per pixel. That is also the byte order of raw store format 1 in the resource files, so a
// picture made here can be stored raw as it stands (CQuibPict::SetImage with format 1) and a raw stored
// picture can be used here without conversion. A QImage made over such bytes needs bytesPerLine
// width x 3 (ToDisplayImage does that); never hand the pixels to a QImage without it.
//
// Rectangles are checked here, not by the callers: a rectangle that is empty or reaches outside the
// picture gives no picture, never a read past the pixels. Operations that cannot give a picture return
// nullopt; the caller keeps the picture it had.
//
// Used by the page editor's image page, the crop dialog, and the wizards' and word editor's picture
// pages (each fits pictures its own way; the fits they share live here).

#include "platform/image/Image.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

using lumivo::image::RgbImage;

// The type codes of picture files the authoring tools read; any other file (GIF too) is kNoPictureFile.
constexpr int kNoPictureFile = 0;
constexpr int kBmpFile = 1;
constexpr int kJpegFile = 3;
constexpr int kPngFile = 4;
constexpr int kPcxFile = 5;
constexpr int kTiffFile = 6;
constexpr int kPsdFile = 10;

// The type code of a picture file's first bytes (a few dozen are enough).
int GuessPictureFileType(const std::uint8_t* data, std::size_t size);
// The type code of a file on disk; kNoPictureFile when it cannot be read.
int GuessPictureFileType(const QString& path);

// Whether the picture's pixel block has exactly width x height x 3 bytes.
bool IsWellFormed(const RgbImage& image);

// The picture scaled to exactly width x height (the proportions are the caller's to keep); nullopt for a
// size of 0 or less, or a malformed picture.
std::optional<RgbImage> ResizeRgb(const RgbImage& image, int width, int height);
// The columns left..right-1 and rows top..bottom-1; nullopt unless 0 <= left < right <= width and
// 0 <= top < bottom <= height.
std::optional<RgbImage> CropRgb(const RgbImage& image, int left, int top, int right, int bottom);
// The picture turned a quarter turn clockwise: width and height change places, and the pixel at
// (x, y) goes to (height - 1 - y, x). Lossless.
std::optional<RgbImage> RotateRgbClockwise(const RgbImage& image);

// How an imported picture is fitted to a target size (the editors' import mode, one bit set).
constexpr std::uint16_t kImportCrop = 0x1;
constexpr std::uint16_t kImportResize = 0x2;
constexpr std::uint16_t kImportKeepSize = 0x4;

// The page editor's fit: with kImportResize the picture scaled to exactly the target; otherwise, with
// kImportCrop and a picture larger than the target on both axes, the target's size cut at the top left
// corner; otherwise the picture as it is. A step that fails keeps the picture as it is.
RgbImage FitToTarget(const RgbImage& image, std::uint16_t importMode, int targetWidth, int targetHeight);

// Crop margins in per mille of the picture's width (left, right) or height (top, bottom), 0 to 1000.
struct CropMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool operator==(const CropMargins&) const = default;
};

// The margins after the picture is turned a quarter turn clockwise: the new top is the old left, the
// new left the old bottom, the new bottom the old right, the new right the old top.
CropMargins RotateMarginsClockwise(const CropMargins& margins);

// The rectangle the margins leave of a width x height picture: left = W x l / 1000, top = H x t / 1000,
// right = W - W x r / 1000, bottom = H - H x b / 1000. When it is smaller than the picture in either
// direction, a right edge at W moves to W - 1 and a bottom edge at H to H - 1: the crop dialog has
// always cut that last column and row, and pictures cropped before keep their sizes.
struct CropRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isEmpty() const { return right <= left || bottom <= top; }
};
CropRect CropRectOfMargins(int width, int height, const CropMargins& margins);

// The picture cut by the margins. All margins 0, or margins that leave nothing (a tiny picture with
// large margins), hand the picture back as it is.
RgbImage CropByMargins(const RgbImage& image, const CropMargins& margins);

// The size a picture is shown at in a box: its own when it fits, else scaled down by the larger of the
// per-mille ratios picture/box, so it keeps its proportions.
QSize ShrinkToFit(QSize picture, QSize box);

// A drawing copy of the picture (a deep copy, bytesPerLine width x 3); a null image for a malformed one.
QImage ToDisplayImage(const RgbImage& image);
