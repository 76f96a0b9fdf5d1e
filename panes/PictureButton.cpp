#include "panes/PictureButton.h"

#include "panes/Pane.h"

#include <QPainter>

namespace
{

// The frame's light and dark sides: the system's button highlight and shadow.
constexpr COLORREF kButtonHighlight = 0xFFFFFF;
constexpr COLORREF kButtonShadow = 0xA0A0A0;

void drawEdgeFrame(QPainter& dc, const CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const QRect r = toQRect(rect);
    if (r.isEmpty())
        return;
    dc.fillRect(QRect(r.left(), r.top(), r.width(), 1), toQColor(topLeft));
    dc.fillRect(QRect(r.left(), r.top(), 1, r.height()), toQColor(topLeft));
    dc.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), toQColor(bottomRight));
    dc.fillRect(QRect(r.right(), r.top(), 1, r.height()), toQColor(bottomRight));
}

} // namespace

CImageList CImageList::FromStrip(const QImage& strip, QSize size, COLORREF maskColor)
{
    CImageList list;
    if (strip.isNull() || size.isEmpty())
        return list;
    list.m_size = size;
    const QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(GetRValue(maskColor), GetGValue(maskColor), GetBValue(maskColor));
    for (int x = 0; x + size.width() <= argb.width(); x += size.width()) {
        QImage image = argb.copy(x, 0, size.width(), size.height());
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int i = 0; i < image.width(); ++i)
                if ((line[i] & 0x00FFFFFF) == (mask & 0x00FFFFFF))
                    line[i] = 0;
        }
        list.m_images.push_back(std::move(image));
    }
    return list;
}

void CImageList::Draw(QPainter& dc, int index, QPoint at) const
{
    if (index >= 0 && index < GetImageCount())
        dc.drawImage(at, m_images[std::size_t(index)]);
}

bool CImageList::SetOverlayImage(int image, int overlay)
{
    if (image < 0 || image >= GetImageCount() || overlay < 1 || overlay > 15)
        return false;
    if (m_overlays.size() < std::size_t(overlay))
        m_overlays.resize(std::size_t(overlay), -1);
    m_overlays[std::size_t(overlay - 1)] = image;
    return true;
}

int CImageList::OverlayImage(int overlay) const
{
    if (overlay < 1 || std::size_t(overlay) > m_overlays.size())
        return -1;
    return m_overlays[std::size_t(overlay - 1)];
}

bool CPictureButton::SetState(std::uint16_t state)
{
    const std::uint16_t old = m_state;
    if (state & kPictureButtonHot)
        m_state = std::uint16_t((m_state & ~kPictureButtonPressed) | kPictureButtonHot);
    else if (state & kPictureButtonPressed)
        m_state = std::uint16_t((m_state & ~kPictureButtonHot) | kPictureButtonPressed);
    else
        m_state = std::uint16_t(m_state | state);
    return m_state != old;
}

bool CPictureButton::ClearState(std::uint16_t state)
{
    const std::uint16_t old = m_state;
    m_state = std::uint16_t(m_state & ~state);
    return m_state != old;
}

void CPictureButton::Draw(QPainter& dc) const
{
    if (!m_imageList || m_image < 1 || m_imageList->GetImageCount() < m_image)
        return;
    const bool hot = (m_state & kPictureButtonHot) != 0;
    const bool pressed = (m_state & kPictureButtonPressed) != 0;
    if (hot || pressed)
        dc.fillRect(toQRect(Rect), toQColor(kPictureButtonLitColor));
    const QSize size = m_imageList->ImageSize();
    QPoint at(Rect.left + (Rect.Width() - size.width()) / 2, Rect.top + (Rect.Height() - size.height()) / 2);
    if (pressed)
        at += QPoint(1, 1);
    m_imageList->Draw(dc, m_image - 1, at);
    if (hot)
        drawEdgeFrame(dc, Rect, kButtonHighlight, kButtonShadow);
    else if (pressed)
        drawEdgeFrame(dc, Rect, kButtonShadow, kButtonHighlight);
}

// The rectangle is the client window's already, whatever bars lie above the window.
void CPictureButton::Invalidate(bool erase) const
{
    if (!m_pane)
        return;
    CRect area = Rect;
    area.InflateRect(2, 2);
    m_pane->InvalidateClient(area, erase);
}
