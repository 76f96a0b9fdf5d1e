#pragma once
// The rules of the crop dialog that need no window: where the picture and its red frame lie, which
// handle of the frame the pointer is on, how a drag moves the frame, the margins a frame gives, which
// files the dialog browses and where a deleted picture goes. Rectangles have the Windows rules (right
// and bottom exclusive).

#include "authoring/ImageOperations.h"
#include "platform/types/WinTypes.h"

#include <QString>

// The frame's handles: 0 none; the edges 1 top, 3 right, 5 bottom, 7 left; the corners 2 top-right,
// 4 bottom-right, 6 bottom-left, 8 top-left.
constexpr int kNoHandle = 0;
constexpr int kFrameLineWidth = 4;
constexpr int kMinimumFrameSize = 32;
// How far from an edge or a corner the pointer still takes it.
constexpr int kHandleReach = kFrameLineWidth / 2 + 1;

// Where the picture is shown in the dialog.
struct CropLayout {
    CRect area;      // the room for the picture
    int zoom = 1000; // per mille
    CRect shown;     // the picture as shown, centred in the area
    CRect frame;     // the red frame: the shown picture less the margins
};

// The layout in the area for a picture of that size (0 x 0: none) and those margins: the zoom is the
// smaller of the per-mille fits, so the picture keeps its proportions, scaled up or down.
CropLayout LayOutCrop(const CRect& area, int pictureWidth, int pictureHeight, const CropMargins& margins);

// The handle under the point, corners first (top-left, top-right, bottom-right, bottom-left), then the
// edges (top, bottom, left, right).
int HandleAt(const CRect& frame, POINT point);
// The frame with the grabbed edges moved to the point: each edge stays within the shown picture and
// opposite edges at least kMinimumFrameSize apart.
CRect DragFrame(const CRect& frame, int handle, POINT point, const CRect& shown);
// The margins a frame leaves of the shown picture.
CropMargins MarginsOfFrame(const CRect& frame, const CRect& shown);

// Whether the dialog lists a file: its extension, upper-cased, occurs in the list of picture extensions
// (a file without an extension passes, and fails when it is loaded).
bool IsCropListedFile(const QString& path);
// Where a deleted picture goes in `folder`: its own name, or "name(n).ext" with the first n from 1 on
// whose file does not exist.
QString DeletedPictureTarget(const QString& folder, const QString& path);
