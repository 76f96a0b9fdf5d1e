// Drawing icons with QPainter: the shape clip, the picture cache, fitted text, frames, handles, labels
// and the clip preview.

#include "panes/IconDrawing.h"

#include "core/Clip.h"
#include "core/IconEditing.h"
#include "core/Lookups.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "panes/DrawingBounds.h"
#include "platform/video/VideoClip.h"
#include "store/PictureFormat.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <thread>
#include <typeinfo>

COLORREF theSelectedFrameColor = 0x050000FF;
COLORREF theEnteredFrameColor = 0x0400FF00;
std::int16_t theImageModel = kImageLibraryModel;
lumivo::Hook<std::unique_ptr<CQuibPict>(std::int32_t, int, int)> theIconPictureFinder{LoadWordPicture};
lumivo::Hook<void(int)> theAviTimerStart{[](int) {}};
lumivo::Hook<void()> theAviTimerStop{[] {}};

namespace
{

constexpr int kPictureMargin = 12;
constexpr int kTextInset = 3;
constexpr COLORREF kEditFrameGrey = 0x808080;
constexpr COLORREF kDotsColor = 0x404040;
constexpr COLORREF kSoleSelectionBand = 0x00C0C0;
constexpr COLORREF kPictureBand = 0x808080;
constexpr std::uint32_t kIconPictureBand = 0x100;
constexpr std::uint32_t kIconFill = 0x1000000;
constexpr std::uint32_t kIconFit = 0x2000000;
constexpr std::uint32_t kIconScaleMask = kIconFill | kIconFit;
constexpr std::uint32_t kIconSnapBox = 0x8000000;
constexpr std::uint32_t kIconContentOwnPictureOff = 0x100000;
constexpr std::uint8_t kNoColorId = 0xFB;
constexpr std::uint16_t kWordFormNoFamilyPicture = 0x100;
constexpr std::array kAutoTextHeights{56, 48, 36, 32, 28, 24, 22, 20, 18, 16, 14, 12, 10, 9};
const QChar kSoftHyphen(0x00AD);
const QChar kNotSign(0x00AC);

CRect movedBy(const CRect& rect, const QPoint& origin)
{
    CRect moved = rect;
    moved.OffsetRect(origin.x(), origin.y());
    return moved;
}

bool isVisible(const QPainter& painter, const CRect& rect)
{
    if (rect.IsRectEmpty())
        return false;
    const QRect area = toQRect(rect);
    if (painter.hasClipping())
        return painter.clipRegion().intersects(area);
    const QPaintDevice* device = painter.device();
    return !device || QRect(0, 0, device->width(), device->height()).intersects(area);
}

// The size step and its standard box (0: none) for the smaller side of the icon.
struct SizeStep {
    int step;
    int box;
};

SizeStep sizeStepFor(int smallerSide, bool writerPane)
{
    if (writerPane)
        return {2, 48};
    struct Limit {
        int side;
        SizeStep step;
    };
    static constexpr std::array<Limit, 5> kLimits{
        {{48, {1, 32}}, {64, {2, 48}}, {96, {3, 64}}, {128, {4, 96}}, {192, {5, 128}}}};
    for (const Limit& limit : kLimits) {
        if (smallerSide <= limit.side - kPictureMargin)
            return limit.step;
    }
    return {10, 0};
}

// The bitmap model's square box: 192, smaller for smaller icons, the smaller side below 33.
QSize bitmapModelBox(const CRect& rect)
{
    const int smaller = std::min(rect.Width(), rect.Height());
    int side = 192;
    for (auto [below, box] : {std::pair{181, 128}, {117, 96}, {85, 64}, {53, 48}, {37, 32}}) {
        if (smaller < below)
            side = box;
    }
    if (smaller < 33)
        side = std::max(smaller, 0);
    return {side, side};
}

// The scaling bits a picture is drawn with: fit into a snapped box until the icon says otherwise.
std::uint32_t scaleFlags(std::uint32_t flags)
{
    return (flags & kIconScaleMask) ? flags : flags | kIconFit | kIconSnapBox;
}

// The value of an attribute, lower case; empty when there is none.
QString attribute(const CTaggedText& attributes, const char* key)
{
    QString value;
    if (!attributes.GetValue(QString::fromLatin1(key), value))
        return {};
    return value.trimmed().toLower();
}

int leadingNumber(const QString& value)
{
    int digits = 0;
    while (digits < value.size() && value[digits].isDigit())
        ++digits;
    return value.left(digits).toInt();
}

// "%" or "pt" after the first character.
bool holdsAfterFirst(const QString& value, const char* mark)
{
    return value.indexOf(QLatin1String(mark)) > 0;
}

void drawOutline(QPainter& painter, const CRect& rect, COLORREF color, int width, bool ellipse)
{
    if (width <= 0 || rect.IsRectEmpty())
        return;
    // The pen lies inside the rectangle, so the frame covers the same pixels at any width.
    const QRectF inner = QRectF(toQRect(rect)).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(toQColor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (ellipse)
        painter.drawEllipse(inner);
    else
        painter.drawRect(inner);
    painter.restore();
}

// A frame of the icon's shape: moved down one pixel at its top, as the stored pages were laid out.
void drawFrame(QPainter& painter, CRect rect, std::uint32_t shape, COLORREF color, int width)
{
    rect.top = SaturatingAdd(rect.top, 1);
    if (shape == kIconShapeRect)
        drawOutline(painter, rect, color, width, false);
    else if (shape == kIconShapeEllipse)
        drawOutline(painter, rect, color, width, true);
    else if (shape == kIconShapeUnclipped) {
        if (theEditTool != kEditToolBrowse)
            drawOutline(painter, rect, color, width, false);
        const int diameter = std::min({25, rect.Width(), rect.Height()});
        const CPoint centre = rect.CenterPoint();
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(toQColor(color));
        painter.drawEllipse(QRect(centre.x - diameter / 2, centre.y - diameter / 2, diameter, diameter));
        painter.restore();
    }
}

void drawBand(QPainter& painter, const QRect& around, COLORREF color)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(toQColor(color), 1));
    painter.drawRect(around.adjusted(-1, -1, 0, 0));
    painter.restore();
}

// The drawable picture: pixels of the key colour become transparent.
QImage keyedImage(const QImage& scaled, COLORREF key)
{
    QImage keyed = scaled.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparentRgb = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (transparentRgb & 0xFFFFFF))
                line[x] = 0;
        }
    }
    return keyed;
}

// Where the picture goes: the box (the rectangle, or the standard size when it is near enough)
// centred in the rectangle.
QSize pictureBox(const CRect& rect, const SizeStep& step, std::uint32_t flags)
{
    const int width = rect.Width();
    const int height = rect.Height();
    const int smaller = std::min(width, height);
    if (!(flags & kIconSnapBox) || step.box == 0 || std::abs(step.box - smaller) > kPictureMargin ||
        smaller <= 0)
        return {width, height};
    if (width <= height)
        return {step.box, MulDiv(height, step.box, width)};
    return {MulDiv(width, step.box, height), step.box};
}

QSize scaledPictureSize(const QSize& picture, const QSize& box, std::uint32_t flags)
{
    const int scaleX = MulDivSaturated(1000, box.width(), picture.width());
    const int scaleY = MulDivSaturated(1000, box.height(), picture.height());
    const std::uint32_t mode = flags & kIconScaleMask;
    const int fit = std::min(scaleX, scaleY);
    const int fill = std::max(scaleX, scaleY);
    const int x = mode == kIconScaleMask ? scaleX : mode == kIconFill ? fill : fit;
    const int y = mode == kIconScaleMask ? scaleY : mode == kIconFill ? fill : fit;
    return {std::max(1, MulDivSaturated(picture.width(), x, 1000)),
            std::max(1, MulDivSaturated(picture.height(), y, 1000))};
}

std::unique_ptr<CQuibPict> findIconPicture(CQuibIcon& icon, int width, int height)
{
    std::unique_ptr<CQuibPict> picture;
    if ((icon.Flags & kIconContentMask) != kIconContentOwnPictureOff && icon.PictId != 0)
        picture = theIconPictureFinder(icon.PictId, width, height);
    // After "next inflexion" the shown word's picture is shown; the icon's word stands in for a
    // member without a picture of its own.
    if (!picture && icon.ShownWordId != 0 && icon.ShownWordId != icon.WordId)
        picture = theIconPictureFinder(icon.ShownWordId, width, height);
    if (!picture)
        picture = theIconPictureFinder(icon.WordId, width, height);
    if (!picture && icon.Word && icon.Word->WordForm != kWordFormNoFamilyPicture &&
        icon.Word->FamilyList.size() == 1)
        picture = theIconPictureFinder(icon.Word->FamilyList.front(), width, height);
    return picture;
}

// Where a clip frame is stretched to: the whole rectangle for an icon without picture or word, else a
// square of the standard step for the rectangle's smaller side, one pixel larger, centred.
QRect clipFrameBox(const CRect& rect, bool hasId)
{
    if (!hasId)
        return toQRect(rect);
    const int smaller = std::min(rect.Width(), rect.Height());
    int side = 128;
    for (const auto& [below, step] : {std::pair{117, 96}, {85, 64}, {53, 48}, {37, 32}}) {
        if (smaller < below)
            side = step;
    }
    if (smaller < 33)
        side = std::max(0, smaller);
    QRect box(0, 0, side + 1, side + 1);
    box.moveCenter(toQRect(rect).center());
    return box;
}

// The clip preview: one icon at a time.
struct AviPreview {
    CQuibIcon* icon = nullptr;
    std::unique_ptr<lumivo::video::VideoClip> clip;
    QString path;
    int frameCount = 0;
    int frameMs = 0;
    int frame = 0;
    bool running = false;
};

AviPreview& preview()
{
    static AviPreview state;
    return state;
}

} // namespace

void ResetIconDrawing()
{
    CloseAviPreview();
    preview() = AviPreview();
    theSelectedFrameColor = 0x050000FF;
    theEnteredFrameColor = 0x0400FF00;
    theImageModel = kImageLibraryModel;
    theIconPictureFinder.reset();
    theAviTimerStart.reset();
    theAviTimerStop.reset();
}

std::vector<int> PictureKindsForSize(int width, int height)
{
    std::vector<int> kinds;
    const auto below = [&](int limit) { return width < limit || height < limit; };
    if (below(37))
        kinds.push_back(1);
    else if (below(53))
        kinds.push_back(2);
    else if (below(85))
        kinds.push_back(3);
    else if (below(117))
        kinds.push_back(4);
    else if (width < 141 && height < 141)
        kinds.push_back(5);
    kinds.push_back(10);
    for (int kind : {5, 4, 3, 2, 1}) {
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            kinds.push_back(kind);
    }
    return kinds;
}

std::unique_ptr<CQuibPict> LoadWordPicture(std::int32_t id, int width, int height)
{
    if (id == 0)
        return nullptr;
    const std::vector<int> kinds = PictureKindsForSize(width, height);
    for (std::uint16_t language : SearchLanguageList()) {
        for (int kind : kinds) {
            auto found = FindAttachedById<CQuibPict>(
                id, {language},
                [kind](std::uint16_t each) { return MakePictType(std::int16_t(kind), std::int16_t(each)); },
                nullptr);
            if (found)
                return found;
        }
    }
    return nullptr;
}

QString WrapText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf)
{
    const auto shown = [](QString line) { return line.remove(kSoftHyphen); };
    const auto isBreakAfter = [](QChar c) {
        return QStringLiteral(" +,-.:;").contains(c) || c == kSoftHyphen;
    };
    QStringList lines;
    QString line;
    qsizetype lastBreak = -1; // index in `line` of the character after which it may break
    for (const QChar c : text) {
        if (c == kNotSign || c == u'\n' || c == u'\r') {
            lines << shown(line);
            line.clear();
            lastBreak = -1;
            continue;
        }
        QString measured = shown(line + c);
        if (c == kSoftHyphen)
            measured += u'-';
        if (!line.isEmpty() && widthOf(measured) > maxWidth) {
            const qsizetype cut = lastBreak >= 0 ? lastBreak : line.size() - 1;
            QString head = line.left(cut + 1);
            QString rest = line.mid(cut + 1);
            if (lastBreak < 0) { // no break candidate: the character moves to the next line
                head = line;
                rest.clear();
            } else if (head.back() == u' ') {
                head.chop(1);
            } else if (head.back() == kSoftHyphen) {
                head.chop(1);
                head += u'-';
            }
            lines << shown(head);
            line = rest;
            lastBreak = -1;
            for (qsizetype i = 0; i < line.size(); ++i) {
                if (isBreakAfter(line[i]))
                    lastBreak = i;
            }
        }
        line += c;
        if (isBreakAfter(c))
            lastBreak = line.size() - 1;
    }
    lines << shown(line);
    return lines.join(u'\n');
}

QString WrapText(const QString& text, int maxWidth, const QFontMetrics& metrics)
{
    return WrapText(text, maxWidth,
                    [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

QFont IconFont(int pixelHeight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::Normal);
    return font;
}

void CQuibIcon::Draw(IconPaint& paint)
{
    const CRect rect = movedBy(ScreenRect, paint.origin);
    Flags |= kIconDrawn;
    if (!(Flags & kIconVisible) || !isVisible(paint.painter, rect))
        return;
    paint.painter.save();
    ClipToShape(paint.painter, Shape, rect);
    if (theEditTool == kEditToolBrowse || (theEditOptions & kEditOptionShowPictures))
        DrawContent(paint, rect);
    paint.painter.restore();
    DrawFrames(paint, rect);
    DrawnFlags = Flags;
}

void CQuibIcon::DrawContent(IconPaint& paint, const CRect& rect)
{
    const std::uint32_t kind = Flags & kIconContentMask;
    if (kind == kIconContentTextOnly) {
        DrawLabelText(paint, rect, GetDisplayText(kWordTextCutSuffix));
        return;
    }
    if (kind == kIconContentPictureWhenEditing) {
        if (theEditTool != kEditToolBrowse && (theEditOptions & kEditOptionShowPictures) &&
            AviPreviewIcon() != this)
            DrawPicture(paint, rect);
        return;
    }
    if (Flags & kIconNoPicture)
        return;
    if (AviPreviewIcon() == this) {
        const QImage frame = preview().clip ? preview().clip->frame(preview().frame) : QImage();
        if (!frame.isNull())
            paint.painter.drawImage(clipFrameBox(rect, PictId != 0 || WordId != 0), frame);
        return;
    }
    if (!DrawPicture(paint, rect))
        DrawLabelText(paint, rect, GetDisplayText(kWordTextCutSuffix));
}

namespace
{

// A picture cached for an icon, made in three steps so that a pane can make many at once: what the
// store gives is gathered on the interface thread, the picture is decoded and scaled on any thread, and
// the result is taken into the icon on the interface thread again.
struct PictureJob {
    CQuibIcon* icon = nullptr;
    CRect rect;
    SizeStep step{};
    std::unique_ptr<CQuibPict> picture;
    std::vector<std::uint8_t> stored; // the bytes to decode; empty when the picture came decoded
    QImage image;                     // the picture at its own size
    QSize target;                     // the box it is scaled into
    QSize shown;                      // the size it is drawn at
    QImage scaled;
    QImage bitmap; // as drawn
    bool keyed = false;
};

// The size step the icon's picture is cached for in `rect`; none when the cache it has fits. A cache
// made for another step, box or image model is dropped.
std::optional<SizeStep> stepToCache(CQuibIcon& icon, const CRect& rect, bool writerPane)
{
    const SizeStep step = sizeStepFor(std::min(rect.Width(), rect.Height()), writerPane);
    const QSize box = theImageModel == kImageLibraryModel ? pictureBox(rect, step, scaleFlags(icon.Flags))
                                                          : bitmapModelBox(rect);
    if (step.step != icon.PictCacheState || box != icon.PictCacheBox ||
        theImageModel != icon.PictCacheModel) {
        icon.CachedBitmap = QImage();
        icon.PictCacheData = QImage();
    }
    if (!icon.PictCacheData.isNull())
        return std::nullopt;
    return step;
}

PictureJob gatherPicture(CQuibIcon& icon, const CRect& rect, const SizeStep& step)
{
    PictureJob job;
    job.icon = &icon;
    job.rect = rect;
    job.step = step;
    job.picture = findIconPicture(icon, rect.Width(), rect.Height());
    if (!job.picture || job.picture->GetImage())
        return job;
    job.picture->Load();
    // The bytes are copied: decoding runs while the store may move its own.
    if (!job.picture->ReadHeader())
        return job;
    const std::uint8_t* data = job.picture->GetData();
    const std::int64_t size = job.picture->GetSize();
    if (data && size >= job.picture->HeaderLength)
        job.stored.assign(data + job.picture->HeaderLength, data + size);
    return job;
}

// Decodes and scales; reads the icon and writes only the job, so jobs of different icons run at once.
void makePicture(PictureJob& job)
{
    if (!job.picture)
        return;
    CQuibPict& picture = *job.picture;
    if (!job.stored.empty()) {
        picture.Image = DecodeStoredImage(job.stored.data(), job.stored.size(), picture.StoreFormat,
                                          picture.Width, picture.Height);
        job.stored = {};
    }
    const RgbImage* rgb = picture.GetImage();
    job.image = rgb ? lumivo::image::toQImage(*rgb) : QImage();
    if (job.image.isNull() || job.image.width() <= 0 || job.image.height() <= 0)
        return;
    const std::uint32_t flags = scaleFlags(job.icon->Flags);
    // The image library's model fits the picture into its box by the scaling bits; the bitmap model
    // stretches it into a square.
    const bool libraryModel = theImageModel == kImageLibraryModel;
    job.target = libraryModel ? pictureBox(job.rect, job.step, flags) : bitmapModelBox(job.rect);
    if (job.target.isEmpty())
        return;
    job.shown = libraryModel ? scaledPictureSize(job.image.size(), job.target, flags) : job.target;
    const std::uint8_t colorId = std::uint8_t(picture.TransparentColor >> 24);
    job.keyed = colorId != kNoColorId && colorId != 0;
    // A key colour must survive scaling pixel for pixel, so keyed pictures are not smoothed.
    job.scaled = job.image.scaled(KeptPictureSize(job.shown, job.image.size()), Qt::IgnoreAspectRatio,
                                  job.keyed ? Qt::FastTransformation : Qt::SmoothTransformation);
    // Drawn in the back buffer's own format, so that a repaint copies pixels and converts none.
    job.bitmap = job.keyed ? keyedImage(job.scaled, picture.TransparentColor & 0xFFFFFF)
                           : job.scaled.convertToFormat(QImage::Format_RGB32);
}

void takePicture(PictureJob& job)
{
    CQuibIcon& icon = *job.icon;
    if (!job.picture) {
        icon.PictCacheState = 0;
        return;
    }
    if (job.image.isNull()) {
        icon.PictCacheRect = job.rect;
        return;
    }
    icon.Flags = scaleFlags(icon.Flags);
    if (job.target.isEmpty())
        return;
    icon.PictCacheData = std::move(job.scaled);
    icon.CachedBitmap = std::move(job.bitmap);
    if (job.keyed) {
        icon.PictCacheColor = job.picture->TransparentColor;
        icon.Flags |= kIconKeyColor;
    } else {
        // The previous picture's key colour must not cut holes into this one.
        icon.PictCacheColor = kIconNoCacheColor;
        icon.Flags &= ~kIconKeyColor;
    }
    icon.PictCacheState = std::uint16_t(job.step.step);
    icon.PictCacheBox = job.target;
    icon.PictCacheShownSize = job.shown;
    icon.PictCacheModel = theImageModel;
}

// Whether drawing the icon now would cache its picture in the plain icon's way.
bool drawsPictureNow(const CQuibIcon& icon)
{
    if (typeid(icon) != typeid(CQuibIcon) || !(icon.Flags & kIconNeedsLayout) || !(icon.Flags & kIconVisible))
        return false;
    if ((icon.PictId == 0 && icon.WordId == 0) || AviPreviewIcon() == &icon)
        return false;
    const bool editing = theEditTool != kEditToolBrowse;
    if (editing && !(theEditOptions & kEditOptionShowPictures))
        return false;
    const std::uint32_t kind = icon.Flags & kIconContentMask;
    if (kind == kIconContentPictureWhenEditing)
        return editing;
    return kind != kIconContentTextOnly && !(icon.Flags & kIconNoPicture);
}

// Runs `work` on every job, spread over the processor's cores.
template <class Work> void forEachAtOnce(std::vector<PictureJob>& jobs, Work work)
{
    const std::size_t threads =
        std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++)
            work(jobs[i]);
    };
    std::vector<std::jthread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(worker);
    worker();
}

} // namespace

void PrepareIconPictures(const CQuibIconList& icons, bool writerPane)
{
    std::vector<PictureJob> jobs;
    for (const auto& each : icons) {
        CQuibIcon& icon = *each;
        if (!drawsPictureNow(icon))
            continue;
        if (const auto step = stepToCache(icon, icon.ScreenRect, writerPane))
            jobs.push_back(gatherPicture(icon, icon.ScreenRect, *step));
    }
    forEachAtOnce(jobs, makePicture);
    for (PictureJob& job : jobs)
        takePicture(job);
}

bool CQuibIcon::DrawPicture(IconPaint& paint, const CRect& rect)
{
    const bool hasId = PictId != 0 || WordId != 0;
    if ((Flags & kIconNeedsLayout) && hasId) {
        if (const auto step = stepToCache(*this, rect, paint.writerPane))
            CachePicture(rect, step->step, step->box);
    }
    Flags &= ~kIconNeedsLayout;
    if (CachedBitmap.isNull())
        return false;
    // Placed from where the icon is now, so a moved icon or a scrolled pane shows it in its place.
    const QSize shown = PictCacheShownSize.isEmpty() ? CachedBitmap.size() : PictCacheShownSize;
    const CRect target = CentredIn(rect, shown);
    PictCacheRect = target - fromQPoint(paint.origin);
    DrawPictureInto(paint.painter, target, CachedBitmap, (Flags & kIconKeyColor) != 0);
    if (theEditTool != kEditToolBrowse && paint.soleSelected == this)
        drawBand(paint.painter, toQRect(target), kSoleSelectionBand);
    if (Flags & kIconPictureBand)
        drawBand(paint.painter, toQRect(target), kPictureBand);
    return true;
}

void CQuibIcon::CachePicture(const CRect& rect, int step, int box)
{
    PictureJob job = gatherPicture(*this, rect, {step, box});
    makePicture(job);
    takePicture(job);
}

namespace
{

int horizontalAlignment(const QString& align)
{
    if (align.contains(QLatin1String("left")))
        return Qt::AlignLeft;
    if (align.contains(QLatin1String("hcenter")))
        return Qt::AlignHCenter;
    if (align.contains(QLatin1String("right")))
        return Qt::AlignRight;
    return Qt::AlignHCenter;
}

// The words may stand anywhere in the value: "vcenter" is what the property sheet writes for an empty
// choice, and must centre.
int verticalAlignment(const QString& align)
{
    if (align.contains(QLatin1String("top")))
        return Qt::AlignTop;
    if (align.contains(QLatin1String("vcenter")))
        return Qt::AlignVCenter;
    if (align.contains(QLatin1String("bottom")))
        return Qt::AlignBottom;
    return Qt::AlignTop;
}

// Draws the text at the first height that fits the box, wrapped; false when none does.
bool drawFittedText(QPainter& painter, const QRect& box, const QString& text, const std::vector<int>& heights,
                    int alignment)
{
    const int horizontal = alignment & Qt::AlignHorizontal_Mask;
    for (int height : heights) {
        const QFont font = IconFont(height);
        const QFontMetrics metrics(font);
        const QString wrapped = WrapText(text, box.width(), metrics);
        const QRect needed = metrics.boundingRect(box, Qt::TextWordWrap | horizontal, wrapped);
        if (needed.width() >= box.width() || needed.height() >= box.height())
            continue;
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::TextWordWrap | alignment, wrapped);
        painter.restore();
        return true;
    }
    return false;
}

// A fixed text height from the "textsize" attribute for a rectangle of that height, scaled by
// `scale` per mille; 0 when the size is automatic.
int fixedTextHeight(const CTaggedText& attributes, int rectHeight, int scale)
{
    const QString size = attribute(attributes, "textsize");
    const int number = leadingNumber(size);
    if (holdsAfterFirst(size, "%") && number >= 40 && number <= 1000)
        return std::max(
            1, MulDivSaturated(SaturateToInt(std::int64_t{number} * rectHeight * 20 / 42600), scale, 1000));
    if (holdsAfterFirst(size, "pt") && number >= 8 && number <= 200)
        return std::max(1, MulDivSaturated(number, scale, 1000));
    return 0;
}

int frameWidthOf(const CTaggedText& attributes, int rectHeight)
{
    const QString value = attribute(attributes, "framewidth");
    if (holdsAfterFirst(value, "%") && leadingNumber(value) > 0)
        return std::max(1, SaturateToInt(std::int64_t{rectHeight} * leadingNumber(value) / 42600));
    if (value.contains(QLatin1String("hair")))
        return 1;
    return leadingNumber(value);
}

COLORREF frameColorOf(const CTaggedText& attributes)
{
    const QStringList rgb = attribute(attributes, "framecolor").split(u',');
    if (rgb.size() < 3)
        return 0;
    return RGB(rgb[0].trimmed().toInt(), rgb[1].trimmed().toInt(), rgb[2].trimmed().toInt());
}

bool nearColor(QRgb pixel, COLORREF color, int tolerance)
{
    return std::abs(qRed(pixel) - GetRValue(color)) <= tolerance &&
           std::abs(qGreen(pixel) - GetGValue(color)) <= tolerance &&
           std::abs(qBlue(pixel) - GetBValue(color)) <= tolerance;
}

} // namespace

void CQuibIcon::DrawLabelText(IconPaint& paint, const CRect& rect, const QString& text)
{
    CRect area = rect;
    area.DeflateRect(kTextInset, kTextInset);
    if (text.isEmpty() || area.IsRectEmpty())
        return;
    const int fixed =
        std::min(fixedTextHeight(Attributes, rect.Height(), 1000), DeviceTextLimit(paint.painter));
    const std::vector<int> heights = fixed > 0
                                         ? std::vector<int>{fixed}
                                         : std::vector<int>(kAutoTextHeights.begin(), kAutoTextHeights.end());
    const QString align = attribute(Attributes, "textalign");
    QPainter& painter = paint.painter;
    if (drawFittedText(painter, toQRect(area), text, heights,
                       horizontalAlignment(align) | verticalAlignment(align)))
        return;
    if (text == QLatin1String("...") || area.Height() <= 9 || area.Width() <= 21)
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(kDotsColor));
    for (int dot = 0; dot < 3; ++dot)
        painter.drawEllipse(QRect(area.right - 5 - 7 * dot, area.bottom - 5, 3, 3));
    painter.restore();
}

void CQuibIcon::DrawForPrint(QPainter& painter, QPoint origin, int scaleX, int scaleY, int printOptions)
{
    CRect rect(MulDivSaturated(ScreenRect.left, scaleX, 1000), MulDivSaturated(ScreenRect.top, scaleY, 1000),
               MulDivSaturated(ScreenRect.right, scaleX, 1000),
               MulDivSaturated(ScreenRect.bottom, scaleY, 1000));
    rect.OffsetRect(origin.x(), origin.y());
    if (!(Flags & kIconVisible) || !isVisible(painter, rect))
        return;
    painter.save();
    ClipToShape(painter, Shape, rect);
    const bool pictureAllowed = !(Flags & (kIconContentPictureWhenEditing | kIconNoPicture)) &&
                                (Flags & kIconContentMask) != kIconContentTextOnly;
    if (!pictureAllowed || !DrawPrintPicture(painter, rect, printOptions)) {
        CRect area = rect;
        area.DeflateRect(kTextInset, kTextInset);
        const QString text = GetDisplayText(kWordTextCutSuffix);
        // No text taller than the paper: it would never be whole on it.
        const int tallest = std::min(area.Height(), DeviceTextLimit(painter));
        const int fixed = std::min(fixedTextHeight(Attributes, ScreenRect.Height(), scaleY), tallest);
        std::vector<int> heights;
        if (fixed > 0)
            heights.push_back(fixed);
        // Automatic: from the whole height down by a twentieth a try, while five lines would not fit.
        for (std::int64_t height = tallest; fixed == 0 && height > 0 && 5 * height > tallest;
             height = std::min(height - 1, height * 19 / 20))
            heights.push_back(int(height));
        const QString align = attribute(Attributes, "textalign");
        if (!text.isEmpty() && !area.IsRectEmpty())
            drawFittedText(painter, toQRect(area), text, heights,
                           horizontalAlignment(align) | verticalAlignment(align));
    }
    painter.restore();
    if (Flags & kIconFrameShown)
        drawFrame(painter, rect, Shape, frameColorOf(Attributes), frameWidthOf(Attributes, rect.Height()));
}

bool CQuibIcon::DrawPrintPicture(QPainter& painter, const CRect& rect, int printOptions)
{
    std::unique_ptr<CQuibPict> picture = findIconPicture(*this, rect.Width(), rect.Height());
    if (!picture)
        return false;
    if (!picture->GetImage()) {
        picture->Load();
        picture->Decode();
    }
    QImage image = picture->GetImage() ? lumivo::image::toQImage(*picture->GetImage()) : QImage();
    if (image.isNull())
        return false;
    const std::uint8_t colorId = std::uint8_t(picture->TransparentColor >> 24);
    if (colorId != kNoColorId && colorId != 0 && !(printOptions & kPrintKeepKeyColor)) {
        // Paper has no transparency: the key colour and what resampling made of it print as white.
        constexpr int kKeyTolerance = 40;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (nearColor(image.pixel(x, y), picture->TransparentColor, kKeyTolerance))
                    image.setPixel(x, y, qRgb(255, 255, 255));
            }
        }
    }
    const SizeStep step = sizeStepFor(std::min(rect.Width(), rect.Height()), false);
    const std::uint32_t flags = scaleFlags(Flags);
    const QSize box = pictureBox(rect, step, flags);
    if (box.isEmpty())
        return false;
    const QSize shown = scaledPictureSize(image.size(), box, flags);
    DrawPictureInto(
        painter, CentredIn(rect, shown),
        image.scaled(KeptPictureSize(shown, image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        false);
    return true;
}

namespace
{

// The circle on a linking icon's top-left corner that shows, on demand, where links go: red edge for a
// link, grey for none.
void drawLinkBadge(QPainter& painter, const CRect& rect, std::int32_t linkId)
{
    constexpr int kBadgeDiameter = 30;
    constexpr COLORREF kBadgeFill = 0xFFFF80;
    painter.save();
    painter.setBrush(toQColor(kBadgeFill));
    painter.setPen(QPen(toQColor(linkId > 0 ? 0x0000FF : 0x808080), 2));
    painter.drawEllipse(QPoint(rect.left, rect.top), kBadgeDiameter / 2, kBadgeDiameter / 2);
    painter.restore();
}

} // namespace

void CQuibIcon::DrawFrames(IconPaint& paint, const CRect& rect)
{
    QPainter& painter = paint.painter;
    const std::uint32_t frameKind = paint.spotFrames ? kIconShapeUnclipped : Shape;
    if (paint.editablePane && theEditTool != kEditToolBrowse) {
        drawFrame(painter, rect, frameKind, (Flags & kIconHandles) ? 0 : kEditFrameGrey, theStateFrameWidth);
        if (Flags & kIconHandles)
            DrawHandles(paint);
        if (theEditOptions & kEditOptionShowNames)
            DrawNameLabel(paint, rect);
        return;
    }
    if ((Flags & (kIconSelected | kIconEntered)) && !(Flags & kIconNotSelectable)) {
        const COLORREF color = (Flags & kIconSelected) ? theSelectedFrameColor : theEnteredFrameColor;
        drawFrame(painter, rect, frameKind, color & 0xFFFFFF, theStateFrameWidth);
    } else if (Flags & kIconFrameShown) {
        drawFrame(painter, rect, frameKind, frameColorOf(Attributes),
                  frameWidthOf(Attributes, ScreenRect.Height()));
    }
    if (paint.linkBadges)
        drawLinkBadge(painter, rect, LinkId);
}

void CQuibIcon::DrawHandles(IconPaint& paint) const
{
    for (int handle = 1; handle <= GetHandleCount(); ++handle)
        paint.painter.fillRect(toQRect(movedBy(GetHandleRect(handle), paint.origin)), Qt::black);
}

void CQuibIcon::DrawNameLabel(IconPaint& paint, const CRect& rect)
{
    CRect area = rect;
    area.DeflateRect(kTextInset, kTextInset);
    QString text = GetDisplayText(kWordTextDropLayoutChars);
    if (text.isEmpty())
        text = QStringLiteral("?");
    const QFont font = IconFont(12);
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    // Long names get break points, so that word wrapping can cut them.
    if (textWidth > 2 * std::int64_t{area.Width()}) {
        text.insert(2 * text.size() / 3, QStringLiteral("- "));
        text.insert(text.size() / 3, QStringLiteral("- "));
    } else if (textWidth > area.Width()) {
        text.insert(text.size() / 2, QStringLiteral("- "));
    }
    paint.painter.save();
    paint.painter.setFont(font);
    paint.painter.setPen(Qt::black);
    paint.painter.drawText(toQRect(area), Qt::TextWordWrap, text);
    paint.painter.restore();
}

bool OpenAviPreview(CQuibIcon* icon)
{
    CloseAviPreview();
    if (!icon || icon->WordId == 0)
        return false;
    const int width = icon->ScreenRect.Width();
    const int height = icon->ScreenRect.Height();
    std::vector<std::int32_t> ids{icon->ShownWordId, icon->WordId}; // the shown inflexion first
    if (icon->Word && icon->Word->FamilyList.size() == 1)
        ids.push_back(icon->Word->FamilyList.front());
    std::unique_ptr<CQuibAvi> found;
    for (std::int32_t id : ids) {
        for (int kind : PictureKindsForSize(width, height)) {
            if (id != 0 && !found)
                found = FindAviById<CQuibAvi>(id, kind);
        }
    }
    if (!found || found->Load() < 0)
        return false;
    AviPreview& state = preview();
    const QString folder = GetTempDirString(QStringLiteral("/"));
    if (folder.isEmpty())
        return false;
    state.path = folder + QStringLiteral("Temp_x.avi");
    if (found->ExportFile(state.path) == 0) {
        state.path.clear();
        return false;
    }
    state.clip = lumivo::video::VideoClip::open(state.path);
    // A clip without frames cannot be stepped through.
    if (!state.clip || state.clip->frameCount() <= 0) {
        CloseAviPreview();
        return false;
    }
    state.frameCount = state.clip->frameCount();
    state.frameMs = std::max(1, state.clip->durationMs() / state.frameCount);
    state.frame = 0;
    state.icon = icon;
    return true;
}

void CloseAviPreview()
{
    StopAviTimer();
    AviPreview& state = preview();
    state.clip.reset();
    if (!state.path.isEmpty())
        QFile::remove(state.path);
    state = AviPreview();
}

bool StartAviTimer()
{
    AviPreview& state = preview();
    if (!state.icon || !state.clip)
        return false;
    state.running = true;
    theAviTimerStart(state.frameMs);
    return true;
}

void StopAviTimer()
{
    AviPreview& state = preview();
    if (!state.running)
        return;
    theAviTimerStop();
    state.running = false;
    state.icon = nullptr;
}

void StepAviPreview()
{
    AviPreview& state = preview();
    if (!state.running || !state.icon || state.frameCount <= 0)
        return;
    state.frame = (state.frame + 1) % state.frameCount;
    state.icon->Redraw(false);
}

const CQuibIcon* AviPreviewIcon()
{
    return preview().icon;
}

int AviPreviewFrame()
{
    return preview().frame;
}
