#include "panes/BrowsePane.h"

#include "core/ColorPalette.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Picture.h"
#include "panes/IconPictures.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "resources/BitmapResource.h"
#include "system/SystemStrings.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdlib>

CBrowsePane theBrowsePane;

namespace
{

// Space between the text and the buttons, between buttons, and round the content inside the body.
constexpr int kGap = 4;
constexpr int kPictureSide = 64;
constexpr CSize kShadowOffset{8, 8};
// The outer rectangle reaches this far beyond the callout and its shadow.
constexpr int kOuterMargin = 3;
// Style 3 keeps the callout this far from the client's right edge.
constexpr int kAroundRightMargin = 6;
// The frame with the "Selection frame" option: packed colour and width.
constexpr COLORREF kSelectionFrameColor = 0x050000FF;
constexpr int kSelectionFrameWidth = 2;
// The brightest grey of the shadow's outlines.
constexpr int kShadowGrey = 155;
// The text shown: the label or the word, by the word's display rule 3.
constexpr int kBrowseTextFlags = 3;

bool browseTool()
{
    return theEditTool == kEditToolBrowse;
}

QColor plainColor(COLORREF packed)
{
    std::uint32_t colour = packed;
    ResolvePaletteColor(colour);
    return toQColor(colour & 0x00FFFFFF);
}

CRect enclosingRect(const QRectF& rect)
{
    return CRect(int(std::floor(rect.left())), int(std::floor(rect.top())), int(std::ceil(rect.right())),
                 int(std::ceil(rect.bottom())));
}

bool insideRect(const CRect& inner, const CRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Two box blurs of radius 1 on each axis: the body's edge softens by a pixel, the shadow by more.
void blurGrey(QImage& grey)
{
    const int w = grey.width();
    const int h = grey.height();
    std::vector<int> line;
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < h; ++y) {
            uchar* row = grey.scanLine(y);
            line.assign(row, row + w);
            for (int x = 0; x < w; ++x)
                row[x] = uchar((line[std::size_t(std::max(x - 1, 0))] + line[std::size_t(x)] +
                                line[std::size_t(std::min(x + 1, w - 1))]) /
                               3);
        }
        for (int x = 0; x < w; ++x) {
            line.resize(std::size_t(h));
            for (int y = 0; y < h; ++y)
                line[std::size_t(y)] = grey.scanLine(y)[x];
            for (int y = 0; y < h; ++y)
                grey.scanLine(y)[x] = uchar((line[std::size_t(std::max(y - 1, 0))] + line[std::size_t(y)] +
                                             line[std::size_t(std::min(y + 1, h - 1))]) /
                                            3);
        }
    }
}

// The enlarged copy tells its pane when the mouse leaves it for the pane underneath (which makes the
// next hover icon): the callout hears no move outside itself, and its lit button would stay lit.
class CBrowseIcon : public CQuibIcon
{
public:
    explicit CBrowseIcon(CBrowsePane& pane) : m_pane(pane) {}
    bool OnLeave() override
    {
        m_pane.DimButtons();
        return CQuibIcon::OnLeave();
    }

private:
    CBrowsePane& m_pane;
};

} // namespace

CBrowsePane::CBrowsePane()
{
    setDefaults();
}

CBrowsePane::~CBrowsePane() = default;

void CBrowsePane::ResetPane()
{
    CPane::ResetPane(); // the enlarged icon goes with the pane's own icons
    m_enlargedIcon = nullptr;
    setDefaults();
}

void CBrowsePane::setDefaults()
{
    // The callout never takes the keys: they stay with the pane a person works in.
    PaneFlags |= kPaneFlagNoBrowseFocus;
    BrowseColor = kBrowseDefaultColor;
    BrowseFlags = kBrowseDefaultFlags;
    BrowseFont = CStoredFont();
    BrowseFont.SetPointSize(14);
    BrowseFont.SetBold(true);
    BrowseFont.SetItalic(false);
    RenderQuality = kBrowseQualitySmooth;
    m_bodyRect = m_regionBounds = m_textRect = m_buttonRowRect = m_pictureRect = m_anchorRect = CRect();
    m_tailPoint = CPoint();
    m_region = QPainterPath();
    m_shadowOffset = CSize();
    m_text.clear();
    for (CPictureButton& button : m_buttons) {
        button.ClearState(kPictureButtonHot | kPictureButtonPressed);
        button.SetImage(0);
        button.Rect = CRect();
        button.SetPane(this);
    }
}

// The copy lives among the pane's own icons, so the icon finds its pane (to redraw, to be the hover
// icon) like any other; made hidden, when the selection first asks for it.
CQuibIcon& CBrowsePane::enlargedIcon()
{
    if (!m_enlargedIcon) {
        auto icon = std::make_unique<CBrowseIcon>(*this);
        icon->Flags &= ~kIconVisible;
        m_enlargedIcon = icon.get();
        AddChildIcon(std::move(icon));
    }
    return *m_enlargedIcon;
}

void CBrowsePane::ReleaseEnlargedIcon()
{
    hide();
    m_childIcons.clear();
    m_enlargedIcon = nullptr;
}

bool CBrowsePane::showsIcon() const
{
    return m_enlargedIcon && (m_enlargedIcon->Flags & kIconVisible);
}

// Selection --------------------------------------------------------------------------------------------

void CBrowsePane::UpdateFromSelection()
{
    CQuibIcon* candidate = nullptr;
    if (browseTool() && theSelectedIcons.size() == 1 && theSelectedIcons.front() != m_enlargedIcon) {
        candidate = theSelectedIcons.front();
        if (FindPaneOfIcon(candidate) == &theWriterPane)
            candidate = nullptr;
    }
    if (!candidate) {
        if (m_enlargedIcon && !(PaneFlags & kPaneFlagKeepShownIcon))
            m_enlargedIcon->Flags &= ~kIconVisible;
    } else {
        CQuibIcon& icon = enlargedIcon();
        icon.FreeCache();
        icon.CopyFrom(*candidate);
        if (candidate->ShownWordId != 0)
            icon.WordId = candidate->ShownWordId;
        icon.ReloadWord(true);
        icon.Shape = kIconShapeRect;
        // The copy is shown, never selected: the selection stays with the icon on the page.
        icon.Flags |= kIconVisible | kIconNotSelectable;
        icon.Flags &= ~(kIconNoPicture | kIconSelected | kIconHandles | kIconEntered);
        icon.BgColor = BrowseColor;
        const CPane* pane = FindPaneOfIcon(candidate);
        m_anchorRect = candidate->ScreenRect;
        if (pane)
            m_anchorRect.OffsetRect(pane->PageToClient(CPoint(0, 0)));
    }
    UpdateLayout(false);
    Invalidate();
}

void CBrowsePane::DropStoredMediaOf(std::int32_t id)
{
    const bool mayShow = m_enlargedIcon && IconMayShowMediaOf(*m_enlargedIcon, id);
    CPane::DropStoredMediaOf(id);
    if (!mayShow || !showsIcon())
        return;
    UpdateLayout(false);
    Invalidate();
}

// Layout -----------------------------------------------------------------------------------------------

// A callout shown again starts with no button lit.
void CBrowsePane::hide()
{
    if (m_visible)
        Invalidate();
    SetVisible(false);
    m_region = QPainterPath();
    for (CPictureButton& button : m_buttons)
        button.ClearState(kPictureButtonHot | kPictureButtonPressed);
}

void CBrowsePane::UpdateLayout(bool /*force*/)
{
    if (!m_imageListMade) {
        m_imageListMade = true;
        m_imageList =
            CImageList::FromStrip(lumivo::LoadBitmapResource(kBrowseButtonBitmap),
                                  QSize(kBrowseButtonSize, kBrowseButtonSize), kBrowseButtonMaskColor);
        m_imageList.SetOverlayImage(7, 1);
    }
    for (CPictureButton& button : m_buttons)
        button.SetImageList(&m_imageList);
    m_shadowOffset = (BrowseFlags & kBrowseShadow) ? kShadowOffset : CSize();
    const CRect client = m_owner ? m_owner->GetClientRect() : CRect();
    if (style() == kBrowseStyleNone || !showsIcon() || !browseTool() || client.IsRectEmpty()) {
        hide();
        return;
    }
    measureContent();
    m_enlargedIcon->ScreenRect = CRect();
    if (m_textRect.IsRectEmpty() && m_buttonRowRect.IsRectEmpty()) {
        hide(); // nothing to show but the icon itself
        return;
    }
    if (style() == kBrowseStyleBalloon)
        layOutBalloon(client);
    else if (style() == kBrowseStyleRoundRectBelow)
        layOutBelow(client);
    else
        layOutAround(client);
    if (m_visible)
        Invalidate(); // where the callout was
    CRect outer = m_regionBounds;
    if (m_shadowOffset.cx > 0)
        outer.right += m_shadowOffset.cx;
    if (m_shadowOffset.cy > 0)
        outer.bottom += m_shadowOffset.cy;
    outer.InflateRect(kOuterMargin, kOuterMargin);
    PaneRect = DrawRect = PageRect = outer;
    if (style() == kBrowseStyleRoundRectAround && !m_pictureRect.IsRectEmpty())
        m_enlargedIcon->ScreenRect = m_pictureRect - PaneRect.TopLeft();
    SetVisible(true);
    MoveToHead();
    Invalidate();
}

// The text and the button row with their sizes (placed at the origin), and the buttons' ids.
void CBrowsePane::measureContent()
{
    m_text = m_enlargedIcon->GetDisplayText(kBrowseTextFlags);
    const QFontMetrics metrics(BrowseFont.GetFont());
    const int textWidth = metrics.horizontalAdvance(m_text);
    m_textRect = (BrowseFlags & kBrowseShowText) && textWidth >= 1
                     ? CRect(0, 0, textWidth + 5, metrics.height())
                     : CRect();
    const int ids[kBrowseButtonCount] = {(BrowseFlags & kBrowsePencil) ? kBrowseButtonPencil : 0,
                                         (BrowseFlags & kBrowseSpeaker) ? kBrowseButtonSpeaker : 0,
                                         (BrowseFlags & kBrowseWatch) ? kBrowseButtonWatch : 0, 0, 0};
    int rowWidth = 0;
    for (int i = 0; i < kBrowseButtonCount; ++i) {
        m_buttons[std::size_t(i)].SetImage(ids[i]);
        m_buttons[std::size_t(i)].Rect = CRect();
        if (ids[i] > 0)
            rowWidth += (rowWidth > 0 ? kGap : 0) + kBrowseButtonSize;
    }
    m_buttonRowRect = CRect(0, 0, rowWidth, rowWidth > 0 ? kBrowseButtonSize : 0);
    m_pictureRect = CRect();
}

// Text and buttons side by side, or stacked with "Tool below text".
CSize CBrowsePane::contentSize() const
{
    const CSize text = m_textRect.Size();
    const CSize row = m_buttonRowRect.Size();
    const int gap = (!m_textRect.IsRectEmpty() && !m_buttonRowRect.IsRectEmpty()) ? kGap : 0;
    if (BrowseFlags & kBrowseToolsBelowText)
        return {std::max(text.cx, row.cx), text.cy + gap + row.cy};
    return {text.cx + gap + row.cx, std::max(text.cy, row.cy)};
}

// Places the text and the buttons inside the body's content rectangle (the body less kGap).
void CBrowsePane::placeContent(const CRect& content, bool stacked)
{
    const CSize text = m_textRect.Size();
    const CSize row = m_buttonRowRect.Size();
    const int gap = (!m_textRect.IsRectEmpty() && !m_buttonRowRect.IsRectEmpty()) ? kGap : 0;
    const CPoint centre = content.CenterPoint();
    if (stacked) {
        int y = m_pictureRect.IsRectEmpty() ? content.top : m_pictureRect.bottom + kGap;
        if (!m_textRect.IsRectEmpty()) {
            m_textRect = CRect(CPoint(centre.x - text.cx / 2, y), text);
            y = m_textRect.bottom + gap;
        }
        m_buttonRowRect = CRect(CPoint(centre.x - row.cx / 2, y), row);
    } else {
        m_textRect = CRect(CPoint(content.left, centre.y - text.cy / 2), text);
        const int x = content.left + text.cx + gap;
        m_buttonRowRect = CRect(CPoint(x, centre.y - row.cy / 2), row);
    }
    int x = m_buttonRowRect.left;
    for (CPictureButton& button : m_buttons) {
        if (button.GetImage() <= 0)
            continue;
        button.Rect =
            CRect(x, m_buttonRowRect.top, x + kBrowseButtonSize, m_buttonRowRect.top + kBrowseButtonSize);
        x += kBrowseButtonSize + kGap;
    }
}

void CBrowsePane::setBody(const CRect& body)
{
    m_bodyRect = body;
    m_region = buildRegion();
    m_regionBounds = enclosingRect(m_region.boundingRect());
}

// Tail point and side, in order: the first whose callout fits into the client area wins.
void CBrowsePane::layOutBalloon(const CRect& client)
{
    const CSize content = contentSize();
    const int width = content.cx + 2 * kGap;
    const int height = content.cy + 2 * kGap;
    const CRect& a = m_anchorRect;
    const auto place = [&](CPoint tail, bool right, bool up) {
        m_tailPoint = tail;
        const int left = right ? tail.x : tail.x - width;
        const int top = up ? tail.y - height / 2 - height : tail.y + height / 2;
        const CRect body(left, top, left + width, top + height);
        CRect inner = body;
        inner.DeflateRect(kGap, kGap);
        placeContent(inner, (BrowseFlags & kBrowseToolsBelowText) != 0);
        setBody(body);
        return insideRect(m_regionBounds, client);
    };
    const CPoint topRight(a.right - a.Width() / 4, a.top + a.Height() / 4);
    const CPoint bottomLeft(a.left + a.Width() / 4, a.bottom - a.Height() / 4);
    const CPoint bottomRight(a.right - a.Width() / 4, a.bottom - a.Height() / 4);
    if (place(topRight, true, true) || place(bottomLeft, false, false) || place(bottomRight, true, false))
        return;
    place(bottomRight, true, a.top - client.top > client.bottom - a.bottom);
}

// Centred under the icon, moved sideways back into the client area.
void CBrowsePane::layOutBelow(const CRect& client)
{
    const CSize content = contentSize();
    const int left = m_anchorRect.CenterPoint().x - content.cx / 2;
    const CRect inner(left, m_anchorRect.bottom + kGap + kGap, left + content.cx,
                      m_anchorRect.bottom + kGap + kGap + content.cy);
    placeContent(inner, (BrowseFlags & kBrowseToolsBelowText) != 0);
    CRect body = inner;
    body.InflateRect(kGap, kGap);
    setBody(body);
    if (m_regionBounds.right > client.right)
        moveCallout(client.right - m_regionBounds.right, 0);
    else if (m_regionBounds.left < client.left)
        moveCallout(client.left - m_regionBounds.left, 0);
}

// The enlarged icon in the middle with the text and buttons under it, centred on the icon so that
// body and shadow together sit on it; moved back inside the client area.
void CBrowsePane::layOutAround(const CRect& client)
{
    const CPoint centre = m_anchorRect.CenterPoint() - m_shadowOffset;
    const bool picture =
        IconPainter().FindPicture(m_enlargedIcon->WordId, kPictureSide, kPictureSide) != nullptr;
    if (picture)
        m_pictureRect = CRect(centre.x - kPictureSide / 2, centre.y - kPictureSide / 2,
                              centre.x + kPictureSide / 2, centre.y + kPictureSide / 2);
    const CSize text = m_textRect.Size();
    const CSize row = m_buttonRowRect.Size();
    const int width = std::max({m_pictureRect.Width(), text.cx, row.cx});
    int height = m_pictureRect.Height();
    for (const int part : {text.cy, row.cy})
        if (part > 0)
            height += (height > 0 ? kGap : 0) + part;
    const int top = picture ? m_pictureRect.top : centre.y - height / 2;
    const CRect inner(centre.x - width / 2, top, centre.x - width / 2 + width, top + height);
    placeContent(inner, true);
    CRect body = inner;
    body.InflateRect(kGap, kGap);
    setBody(body);
    CRect outer = m_regionBounds;
    outer.right += m_shadowOffset.cx;
    outer.bottom += m_shadowOffset.cy;
    outer.InflateRect(kOuterMargin, kOuterMargin);
    int dx = 0;
    int dy = 0;
    if (outer.right > client.right - kAroundRightMargin)
        dx = client.right - kAroundRightMargin - outer.right;
    else if (outer.left < client.left)
        dx = client.left - outer.left;
    if (outer.bottom > client.bottom)
        dy = client.bottom - outer.bottom;
    else if (outer.top < client.top)
        dy = client.top - outer.top;
    if (dx != 0 || dy != 0)
        moveCallout(dx, dy);
}

void CBrowsePane::moveCallout(int dx, int dy)
{
    for (CRect* rect : {&m_textRect, &m_buttonRowRect, &m_pictureRect})
        if (!rect->IsRectNull())
            rect->OffsetRect(dx, dy);
    for (CPictureButton& button : m_buttons)
        if (button.GetImage() > 0)
            button.Rect.OffsetRect(dx, dy);
    m_tailPoint.Offset(dx, dy);
    CRect body = m_bodyRect;
    body.OffsetRect(dx, dy);
    setBody(body);
}

// The outline: style 1 a long round rectangle with a curved tail to the tail point, style 2 a round
// rectangle a little wider than the body, style 3 the body with a margin and round corners.
QPainterPath CBrowsePane::buildRegion() const
{
    const CRect& b = m_bodyRect;
    const double h = b.Height();
    QPainterPath path;
    if (b.IsRectEmpty())
        return path;
    if (style() == kBrowseStyleBalloon) {
        path.addRoundedRect(QRectF(b.left - h / 2, b.top, b.Width() + h, h), h, h / 2);
        const double x = m_tailPoint.x;
        const double y = m_tailPoint.y;
        const bool below = b.top >= y;
        const double d = std::abs((below ? b.top : b.bottom) - y);
        if (d > 0) {
            const double top = below ? y : y - 4 * d;
            QPainterPath wide;
            wide.addEllipse(QRectF(x - 2 * d, top, 4 * d, 4 * d));
            QPainterPath narrow;
            narrow.addEllipse(QRectF(x - d, top, 2 * d, 4 * d));
            const double middle = b.top + h / 2;
            const double farX = x > b.CenterPoint().x ? b.left : b.right;
            QPainterPath keep;
            keep.addRect(QRectF(QPointF(std::min(x, farX), std::min(y, middle)),
                                QPointF(std::max(x, farX), std::max(y, middle))));
            path = path.united(wide.subtracted(narrow).intersected(keep));
        }
    } else if (style() == kBrowseStyleRoundRectBelow) {
        path.addRoundedRect(QRectF(b.left - h / 3, b.top, b.Width() + 2 * h / 3, h), h / 4, h / 4);
    } else {
        CRect outer = b;
        outer.InflateRect(5, 5);
        path.addRoundedRect(toQRect(outer), 5, 5);
    }
    return path.simplified();
}

// The region is built once per layout; drawing at 200 % scales it, which keeps its curves smooth
// enough at that size and spares the path operations at every paint.
QPainterPath CBrowsePane::CalloutPath(int percent, QPoint origin) const
{
    const double k = percent / 100.0;
    return QTransform::fromScale(k, k).translate(-origin.x(), -origin.y()).map(m_region);
}

// Drawing ----------------------------------------------------------------------------------------------

void CBrowsePane::Draw(QPainter& dc)
{
    if (!m_visible || !browseTool() || style() == kBrowseStyleNone || PaneRect.Width() <= 0)
        return;
    DrawRect = PageRect = PaneRect;
    const int scale = RenderQuality == kBrowseQualitySmooth ? 2 : 1;
    QImage body = renderBody(scale);
    const QImage mask = shadowMask();
    // Without the buffers the callout is skipped for this paint; the icon and the buttons still show.
    if (!body.isNull() && !mask.isNull()) {
        body.setAlphaChannel(mask);
        dc.drawImage(toQPoint(PaneRect.TopLeft()), body);
    }
    if (style() == kBrowseStyleRoundRectAround)
        DrawIcons(dc);
    for (const CPictureButton& button : m_buttons)
        button.Draw(dc);
}

// The body on black (the shadow's colour) at `scale` times its size, reduced to the outer rectangle.
QImage CBrowsePane::renderBody(int scale) const
{
    QImage image(PaneRect.Width() * scale, PaneRect.Height() * scale, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::black);
    const QColor colour = plainColor(BrowseColor);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath path = CalloutPath(100 * scale, toQPoint(PaneRect.TopLeft()));
        painter.fillPath(path, colour);
        const bool selectionFrame = (BrowseFlags & kBrowseSelectionFrame) != 0;
        const int frameWidth = (selectionFrame ? kSelectionFrameWidth : 1) * scale;
        const QColor frameColour = selectionFrame
                                       ? plainColor(kSelectionFrameColor)
                                       : QColor(colour.red() / 2, colour.green() / 2, colour.blue() / 2);
        painter.save();
        painter.setClipPath(path); // the frame lies inside the outline
        painter.strokePath(path, QPen(frameColour, 2 * frameWidth));
        painter.restore();
        if (!m_textRect.IsRectEmpty()) {
            QFont font = BrowseFont.GetFont();
            if (font.pixelSize() > 0)
                font.setPixelSize(font.pixelSize() * scale);
            else
                font.setPointSizeF(font.pointSizeF() * scale);
            painter.setFont(font);
            painter.setPen(toQColor(BrowseFont.GetColor() & 0x00FFFFFF));
            const CRect text = m_textRect - PaneRect.TopLeft();
            painter.drawText(
                QRect(text.left * scale, text.top * scale, text.Width() * scale, text.Height() * scale),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
        }
    }
    if (scale != 1)
        image = image.scaled(PaneRect.Width(), PaneRect.Height(), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The body's alpha: the region opaque, and round it the shadow, outlines of the region stepped out to
// the shadow offset and fading as they go; all softened by a blur.
QImage CBrowsePane::shadowMask() const
{
    QImage mask(PaneRect.Width(), PaneRect.Height(), QImage::Format_RGB32);
    if (mask.isNull())
        return mask;
    mask.fill(Qt::black);
    {
        QPainter painter(&mask);
        const QPainterPath path = CalloutPath(100, toQPoint(PaneRect.TopLeft()));
        const int n = std::max(std::abs(m_shadowOffset.cx), std::abs(m_shadowOffset.cy));
        painter.setBrush(Qt::NoBrush);
        for (int i = n; i >= 1; --i) {
            const int grey = kShadowGrey - kShadowGrey * i / n;
            painter.setPen(QPen(QColor(grey, grey, grey), 1));
            painter.drawPath(
                path.translated(double(m_shadowOffset.cx) * i / n, double(m_shadowOffset.cy) * i / n));
        }
        painter.fillPath(path, Qt::white);
    }
    QImage grey = mask.convertToFormat(QImage::Format_Grayscale8);
    blurGrey(grey);
    return grey;
}

// Input ------------------------------------------------------------------------------------------------

bool CBrowsePane::HitTest(int x, int y) const
{
    return browseTool() && CPane::HitTest(x, y) && !m_region.isEmpty() &&
           m_region.contains(QPointF(x + 0.5, y + 0.5));
}

int CBrowsePane::buttonAt(int x, int y) const
{
    for (int i = kBrowseButtonCount - 1; i >= 0; --i) {
        const CPictureButton& button = m_buttons[std::size_t(i)];
        if (button.GetImage() > 0 && button.Rect.PtInRect(CPoint(x, y)))
            return i;
    }
    return -1;
}

// The button under the point takes `set`; the others lose `clearOthers`. Each change repaints.
void CBrowsePane::updateButtons(int x, int y, std::uint16_t set, std::uint16_t clearOthers)
{
    const int under = buttonAt(x, y);
    for (int i = 0; i < kBrowseButtonCount; ++i) {
        CPictureButton& button = m_buttons[std::size_t(i)];
        const bool changed = i == under ? button.SetState(set) : button.ClearState(clearOthers);
        if (changed)
            button.Invalidate(true);
    }
}

void CBrowsePane::DimButtons()
{
    for (CPictureButton& button : m_buttons)
        if (button.ClearState(kPictureButtonHot | kPictureButtonPressed))
            button.Invalidate(true);
}

// Over the callout the mouse is over the enlarged icon, wherever it is inside.
void CBrowsePane::hoverEnlargedIcon()
{
    if (!browseTool() || !showsIcon() || theHoverIcon == m_enlargedIcon)
        return;
    if (theHoverIcon)
        theHoverIcon->OnLeave();
    SetHoverIcon(m_enlargedIcon);
    m_enlargedIcon->OnEnter();
}

bool CBrowsePane::OnMouseMove(unsigned /*flags*/, int x, int y, std::uint32_t /*tick*/, bool updateCursor)
{
    if (!HitTest(x, y)) {
        updateButtons(x, y, 0, kPictureButtonHot);
        return false;
    }
    updateButtons(x, y, kPictureButtonHot, kPictureButtonHot);
    hoverEnlargedIcon();
    if (theHoverIcon)
        theHoverIcon->OnInside();
    if (updateCursor)
        SetAppCursor(kBrowsePaneCursor);
    return true;
}

bool CBrowsePane::OnLButtonDown(unsigned flags, int x, int y, std::uint32_t tick)
{
    if (!HitTest(x, y))
        return false;
    updateButtons(x, y, kPictureButtonPressed, kPictureButtonPressed);
    CPane::OnLButtonDown(flags, x, y, tick);
    return true;
}

// A release over the callout is its own click: handled here and consumed, so that the pane underneath
// neither selects the icon under the callout nor sees a click.
bool CBrowsePane::OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick)
{
    if (!HitTest(x, y)) {
        updateButtons(x, y, 0, kPictureButtonPressed);
        return false;
    }
    updateButtons(x, y, kPictureButtonHot, kPictureButtonPressed);
    const ClientMouseState& mouse = theMouseState;
    const bool handled = CPane::OnLButtonUp(flags, x, y, tick);
    if (!handled && HitTest(mouse.down.point.x, mouse.down.point.y) &&
        WithinTolerance(CPoint(x, y), mouse.down.point, theClickTolerance))
        OnClick(flags, x, y, tick);
    return true;
}

bool CBrowsePane::OnClick(unsigned /*flags*/, int x, int y, std::uint32_t /*tick*/)
{
    if (!HitTest(x, y))
        return false;
    const int index = buttonAt(x, y);
    const int id = index < 0 ? 0 : m_buttons[std::size_t(index)].GetImage();
    if (!showsIcon())
        return true;
    if (id == kBrowseButtonPencil)
        theWriterPane.InsertIcon(m_enlargedIcon, kBrowseInsertAtEnd, 0);
    else if (id == kBrowseButtonSpeaker)
        m_enlargedIcon->Activate(0);
    return true;
}

// A long press on the callout is one on the enlarged icon (a touch screen may have sent no move that
// made it the hover icon): the base press activates it once and keeps the release from pairing, and
// the press ends here, so the pane underneath does not activate it a second time.
bool CBrowsePane::OnLongMouseDown()
{
    const CPoint down = theMouseState.down.point;
    if (!HitTest(down.x, down.y))
        return false;
    hoverEnlargedIcon();
    CPane::OnLongMouseDown();
    return true;
}
