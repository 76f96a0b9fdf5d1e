#pragma once
// The icon painter: icons drawn with QPainter, on a pane or on paper. The icon is clipped to its shape
// and shows its picture (from the cache of panes/IconPictures.h), its word's clip while the preview
// plays in it (panes/ClipPreview.h), or its text fitted into the rectangle (panes/IconText.h); then its
// frames, handles and labels. The model knows nothing of it: an icon only says how it looks
// (CQuibIcon::Look()), and the painter draws each look.
//
// A painter finds pictures through the finder it is made with: the program's panes use the stored
// pictures (LoadWordPicture); a test makes a painter with its own.

#include "panes/IconPictures.h"
#include "platform/types/WinTypes.h"

#include <QPoint>

#include <cstdint>
#include <memory>

class QPainter;

// What a drawing shows beyond the icon itself (Paint's flags). They say how to draw, not which pane draws.
constexpr unsigned kPaintHandles = 0x1;      // in an editing tool: edit frames, handles and names
constexpr unsigned kPaintPictureStep2 = 0x2; // every picture in size step 2 (the writer's strip)
constexpr unsigned kPaintSpotFrames = 0x4;   // every frame a spot (a user who wants frames as spots)
constexpr unsigned kPaintLinkBadges = 0x8;   // every icon's link badge (the main pane's link-badge switch)

// The print option that keeps a picture's key colour instead of printing it white.
constexpr int kPrintKeepKeyColor = 0x4;

// Frame colours of selected and entered icons (packed colours: the low three bytes are 0x00BBGGRR).
extern COLORREF theSelectedFrameColor;
extern COLORREF theEnteredFrameColor;

class CIconPainter
{
public:
    // Finds the stored pictures (LoadWordPicture).
    CIconPainter();
    explicit CIconPainter(PictureFinder finder);

    // The icon in its rectangle moved by `origin`, then its frames; nothing when it is not visible.
    // `soleSelected` is the one selected icon, when exactly one is. Drawing lays the icon's picture out
    // when it must and notes what was drawn (kIconDrawn, DrawnFlags, PictCacheRect).
    void Paint(QPainter& painter, QPoint origin, CQuibIcon& icon, unsigned flags = 0,
               const CQuibIcon* soleSelected = nullptr) const;
    // The print variant: the rectangle scaled by scaleX and scaleY per mille and moved by the origin;
    // text sizes scale with it. A key colour prints white unless `printOptions` has kPrintKeepKeyColor.
    void PaintForPrint(QPainter& painter, QPoint origin, CQuibIcon& icon, int scaleX, int scaleY,
                       int printOptions) const;
    // Makes the pictures the next Paint of these icons would make, all at once.
    void PreparePictures(const CQuibIconList& icons, unsigned flags) const;
    // The picture of a word or picture id for an icon of that size, as this painter finds pictures.
    std::unique_ptr<CQuibPict> FindPicture(std::int32_t id, int width, int height) const;
    const PictureFinder& Finder() const { return m_finder; }

private:
    struct Canvas;
    void paintStandard(const Canvas& canvas, CQuibIcon& icon) const;
    void paintContent(const Canvas& canvas, CQuibIcon& icon, const CRect& rect) const;
    bool paintPicture(const Canvas& canvas, CQuibIcon& icon, const CRect& rect) const;
    bool printPicture(QPainter& painter, CQuibIcon& icon, const CRect& rect, int printOptions) const;

    PictureFinder m_finder;
};

// Puts the frame colours back.
void ResetIconPainter();
