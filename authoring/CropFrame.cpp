#include "authoring/CropFrame.h"

#include "platform/files/FileSystem.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int kPerMille = 1000;
// The upper-cased extensions the dialog browses, JPEG and TIF beside JPG and TIFF since pictures are
// often named so. A whole extension must match: a part of one ("M", "PN") or none lists nothing.
const QStringList kListedExtensions = {"BMP",  "GIF", "JPG", "JPEG", "PNG", "PCX", "TIF",
                                       "TIFF", "WMF", "EMF", "PAX",  "PSD", "TLA"};

bool near(int a, int b)
{
    return std::abs(a - b) <= kHandleReach;
}

bool between(int value, int low, int high)
{
    return value >= low && value <= high;
}

// The value within [low, high]; when the range is empty, the low end wins.
int keepWithin(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

int perMilleOf(int part, int whole)
{
    return whole > 0 ? int(std::int64_t(part) * kPerMille / whole) : 0;
}

} // namespace

CropLayout LayOutCrop(const CRect& area, int pictureWidth, int pictureHeight, const CropMargins& margins)
{
    CropLayout layout;
    layout.area = area;
    const int areaWidth = std::max(layout.area.Width(), 0);
    const int areaHeight = std::max(layout.area.Height(), 0);
    if (pictureWidth > 0 && pictureHeight > 0)
        layout.zoom = std::min(perMilleOf(areaWidth, pictureWidth), perMilleOf(areaHeight, pictureHeight));
    const int width = int(std::int64_t(std::max(pictureWidth, 0)) * layout.zoom / kPerMille);
    const int height = int(std::int64_t(std::max(pictureHeight, 0)) * layout.zoom / kPerMille);
    const int left = layout.area.left + (areaWidth - width) / 2;
    const int top = layout.area.top + (areaHeight - height) / 2;
    layout.shown = CRect(left, top, left + width, top + height);
    layout.frame = CRect(left + int(std::int64_t(width) * margins.left / kPerMille),
                         top + int(std::int64_t(height) * margins.top / kPerMille),
                         left + width - int(std::int64_t(width) * margins.right / kPerMille),
                         top + height - int(std::int64_t(height) * margins.bottom / kPerMille));
    return layout;
}

int HandleAt(const CRect& frame, POINT point)
{
    const int x = point.x;
    const int y = point.y;
    if (near(x, frame.left) && near(y, frame.top))
        return 8;
    if (near(x, frame.right) && near(y, frame.top))
        return 2;
    if (near(x, frame.right) && near(y, frame.bottom))
        return 4;
    if (near(x, frame.left) && near(y, frame.bottom))
        return 6;
    const bool acrossFrame = between(x, frame.left, frame.right);
    const bool alongFrame = between(y, frame.top, frame.bottom);
    if (near(y, frame.top) && acrossFrame)
        return 1;
    if (near(y, frame.bottom) && acrossFrame)
        return 5;
    if (near(x, frame.left) && alongFrame)
        return 7;
    if (near(x, frame.right) && alongFrame)
        return 3;
    return kNoHandle;
}

CRect DragFrame(const CRect& frame, int handle, POINT point, const CRect& shown)
{
    CRect moved = frame;
    const bool top = handle == 1 || handle == 2 || handle == 8;
    const bool bottom = handle == 4 || handle == 5 || handle == 6;
    const bool left = handle == 6 || handle == 7 || handle == 8;
    const bool right = handle == 2 || handle == 3 || handle == 4;
    if (top)
        moved.top = keepWithin(point.y, shown.top, frame.bottom - kMinimumFrameSize);
    if (bottom)
        moved.bottom = std::max(keepWithin(point.y, frame.top + kMinimumFrameSize, shown.bottom), frame.top);
    if (left)
        moved.left = keepWithin(point.x, shown.left, frame.right - kMinimumFrameSize);
    if (right)
        moved.right = std::max(keepWithin(point.x, frame.left + kMinimumFrameSize, shown.right), frame.left);
    moved.top = std::min(moved.top, frame.bottom);
    moved.left = std::min(moved.left, frame.right);
    return moved;
}

CropMargins MarginsOfFrame(const CRect& frame, const CRect& shown)
{
    const int width = shown.Width();
    const int height = shown.Height();
    return {std::clamp(perMilleOf(frame.left - shown.left, width), 0, kPerMille),
            std::clamp(perMilleOf(frame.top - shown.top, height), 0, kPerMille),
            std::clamp(perMilleOf(shown.right - frame.right, width), 0, kPerMille),
            std::clamp(perMilleOf(shown.bottom - frame.bottom, height), 0, kPerMille)};
}

bool IsCropListedFile(const QString& path)
{
    return kListedExtensions.contains(QFileInfo(path).suffix().toUpper());
}

QString DeletedPictureTarget(const QString& folder, const QString& path)
{
    const QFileInfo file(path);
    const QString base = file.completeBaseName();
    const QString extension = file.suffix();
    const QString dot = extension.isEmpty() ? QString() : QStringLiteral(".");
    QString prefix = folder;
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    QString target = prefix + base + dot + extension;
    for (int n = 1; lumivo::files::fileSystem().exists(target); ++n)
        target = prefix + base + QStringLiteral("(%1)").arg(n) + dot + extension;
    return target;
}
