#include "shell/ImageButton.h"

#include "platform/ui/Ui.h"
#include "resources/BitmapResource.h"
#include "system/SystemStrings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QUrl>

#include <algorithm>

lumivo::Hook<bool(const QString&)> theOpenUrlHook{
    [](const QString& url) { return QDesktopServices::openUrl(QUrl::fromUserInput(url)); }};

void ResetImageButtonHooks()
{
    theOpenUrlHook.reset();
}

namespace
{

// The system's button colours.
constexpr COLORREF kBtnFace = 0xF0F0F0;
constexpr COLORREF kBtnText = 0x000000;
constexpr COLORREF kBtnHighlight = 0xFFFFFF;
constexpr COLORREF kBtnShadow = 0xA0A0A0;
constexpr COLORREF k3DLight = 0xE3E3E3;
constexpr COLORREF k3DDarkShadow = 0x696969;
constexpr int kFocusInset = 3;

// A copy in which every colour becomes a grey of its brightness; transparency stays.
QImage greyCopy(const QImage& image)
{
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return grey;
}

// The picture with its transparent colour taken out; null when that failed.
QImage masked(const QImage& image, COLORREF transparent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    if (result.isNull())
        return result;
    const QRgb key =
        qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent)) & 0x00FFFFFF;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == key)
                line[x] = 0;
    }
    return result;
}

void line(QPainter& painter, int x1, int y1, int x2, int y2, COLORREF color)
{
    painter.setPen(toQColor(color));
    painter.drawLine(x1, y1, x2, y2);
}

// A frame one pixel wide: `topLeft` on the top and left sides, `bottomRight` on the others.
void edge(QPainter& painter, const QRect& r, COLORREF topLeft, COLORREF bottomRight)
{
    line(painter, r.left(), r.top(), r.right(), r.top(), topLeft);
    line(painter, r.left(), r.top(), r.left(), r.bottom(), topLeft);
    line(painter, r.left(), r.bottom(), r.right(), r.bottom(), bottomRight);
    line(painter, r.right(), r.top(), r.right(), r.bottom(), bottomRight);
}

} // namespace

CImageButton::CImageButton(QWidget* parent, std::uint32_t buttonStyle) : QAbstractButton(parent)
{
    m_checkBox = (buttonStyle & BS_CHECKBOX) != 0;
    setCheckable(m_checkBox);
    SetButtonStyle(buttonStyle, false);
    SetDefaultColors(false);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, [this] { onClicked(); });
}

CImageButton::~CImageButton() = default;

int CImageButton::done(bool repaint)
{
    if (repaint)
        update();
    return IMAGEBUTTON_OK;
}

void CImageButton::SetButtonStyle(std::uint32_t buttonStyle, bool repaint)
{
    m_default = (buttonStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    m_style = (buttonStyle & ~BS_TYPEMASK) | BS_OWNERDRAW;
    done(repaint);
}

// Pictures ---------------------------------------------------------------------------------------------

int CImageButton::SetIcons(int idNormal, int idHover)
{
    const QImage normal = lumivo::LoadBitmapResource(unsigned(idNormal));
    if (normal.isNull())
        return IMAGEBUTTON_UNREADABLE;
    QImage hover;
    if (idHover == kImageButtonGreyHover)
        hover = greyCopy(normal);
    else if (idHover != 0) {
        hover = lumivo::LoadBitmapResource(unsigned(idHover));
        if (hover.isNull())
            return IMAGEBUTTON_UNREADABLE;
    }
    return SetIcons(normal, hover);
}

int CImageButton::SetIcons(const QImage& normal, const QImage& hover)
{
    if (normal.isNull())
        return IMAGEBUTTON_UNREADABLE;
    m_normal = {normal.convertToFormat(QImage::Format_ARGB32), true};
    m_hover = {hover.isNull() ? QImage() : hover.convertToFormat(QImage::Format_ARGB32), true};
    return done(true);
}

int CImageButton::SetBitmaps(int idNormal, COLORREF transparentNormal, int idHover, COLORREF transparentHover)
{
    const QImage normal = lumivo::LoadBitmapResource(unsigned(idNormal));
    const QImage hover = idHover != 0 ? lumivo::LoadBitmapResource(unsigned(idHover)) : QImage();
    if (normal.isNull() || (idHover != 0 && hover.isNull()))
        return IMAGEBUTTON_UNREADABLE;
    return SetBitmaps(normal, transparentNormal, hover, transparentHover);
}

int CImageButton::SetBitmaps(const QImage& normal, COLORREF transparentNormal, const QImage& hover,
                             COLORREF transparentHover)
{
    if (normal.isNull())
        return IMAGEBUTTON_UNREADABLE;
    const QImage normalMasked = masked(normal, transparentNormal);
    const QImage hoverMasked = hover.isNull() ? QImage() : masked(hover, transparentHover);
    if (normalMasked.isNull() || (!hover.isNull() && hoverMasked.isNull()))
        return IMAGEBUTTON_NO_MASK;
    m_normal = {normalMasked, false};
    m_hover = {hoverMasked, false};
    return done(true);
}

int CImageButton::SizeToContent()
{
    if (!m_normal.image.isNull()) {
        m_margins = QPoint(0, 0);
        resize(m_normal.image.size());
    }
    return IMAGEBUTTON_OK;
}

QSize CImageButton::sizeHint() const
{
    const QSize image = m_normal.image.size();
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return {image.width() + text.width() + 4 * m_margins.x(),
            std::max(image.height(), text.height()) + 2 * m_margins.y()};
}

// Options ----------------------------------------------------------------------------------------------

int CImageButton::SetFlat(bool on, bool repaint)
{
    m_flat = on;
    if (!on)
        m_hovering = false;
    return done(repaint);
}

int CImageButton::SetAlign(int align, bool repaint)
{
    if (align < IMAGEALIGN_LEFT || align > IMAGEALIGN_NONE)
        return IMAGEBUTTON_BAD_ALIGN;
    m_align = align;
    return done(repaint);
}

int CImageButton::SetPressedStyle(int style, bool repaint)
{
    if (style == 0)
        m_pressedOffset = QPoint(1, 1);
    else if (style == 1)
        m_pressedOffset = QPoint(0, 2);
    else
        return IMAGEBUTTON_BAD_PRESSED_STYLE;
    return done(repaint);
}

int CImageButton::SetCheck(bool on, bool repaint)
{
    if (!m_checkBox)
        return IMAGEBUTTON_OK;
    setChecked(on);
    return done(repaint);
}

bool CImageButton::GetCheck() const
{
    return m_checkBox && isChecked();
}

int CImageButton::SetDefaultColors(bool repaint)
{
    m_colors = {kBtnFace, kBtnText, kBtnFace, kBtnText, kBtnFace, kBtnText};
    return done(repaint);
}

int CImageButton::SetColor(int index, COLORREF color, bool repaint)
{
    if (index < 0 || index >= BTNCOLOR_COUNT)
        return IMAGEBUTTON_BAD_COLOR_INDEX;
    m_colors[std::size_t(index)] = color & 0x00FFFFFF;
    return done(repaint);
}

int CImageButton::GetColor(int index, COLORREF* color) const
{
    if (index < 0 || index >= BTNCOLOR_COUNT || !color)
        return IMAGEBUTTON_BAD_COLOR_INDEX;
    *color = m_colors[std::size_t(index)];
    return IMAGEBUTTON_OK;
}

int CImageButton::OffsetColor(int index, int offset, bool repaint)
{
    if (index < 0 || index >= BTNCOLOR_COUNT)
        return IMAGEBUTTON_BAD_COLOR_INDEX;
    if (offset < -255 || offset > 255)
        return IMAGEBUTTON_BAD_OFFSET;
    const COLORREF color = m_colors[std::size_t(index)];
    const int r = GetRValue(color);
    const int g = GetGValue(color);
    const int b = GetBValue(color);
    // The same amount for every component keeps the hue: as much as the extreme component allows.
    const int step =
        offset > 0 ? std::min(offset, 255 - std::max({r, g, b})) : std::max(offset, -std::min({r, g, b}));
    m_colors[std::size_t(index)] = RGB(r + step, g + step, b + step);
    return done(repaint);
}

int CImageButton::SetAlwaysTrack(bool on)
{
    m_alwaysTrack = on;
    return IMAGEBUTTON_OK;
}

int CImageButton::SetBtnCursor(int id, bool repaint)
{
    m_cursor.reset();
    unsetCursor();
    if (id == 0)
        return done(repaint);
    m_cursor = LoadCursorResource(id);
    if (!m_cursor)
        return IMAGEBUTTON_UNREADABLE;
    setCursor(*m_cursor);
    return done(repaint);
}

int CImageButton::DrawBorder(bool on, bool repaint)
{
    m_drawBorder = on;
    return done(repaint);
}

int CImageButton::DrawFlatFocus(bool on, bool repaint)
{
    m_flatFocus = on;
    return done(repaint);
}

// Not filling the background lets the parent's pixels show through.
int CImageButton::DrawTransparent(bool repaint)
{
    m_transparent = true;
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    return done(repaint);
}

int CImageButton::SetTooltipText(const QString& text, bool activate)
{
    m_tooltip = text;
    return ActivateTooltip(activate);
}

int CImageButton::SetTooltipText(int stringId, bool activate)
{
    return SetTooltipText(LoadSystemString(stringId), activate);
}

int CImageButton::ActivateTooltip(bool on)
{
    setToolTip(on ? m_tooltip : QString());
    return IMAGEBUTTON_OK;
}

int CImageButton::SetURL(const QString& url)
{
    m_url = url.left(260);
    return IMAGEBUTTON_OK;
}

int CImageButton::SetMenu(std::unique_ptr<QMenu> menu, std::function<void(int)> onCommand, bool repaint)
{
    m_menu.reset();
    m_menuCommand = nullptr;
    if (!menu)
        return IMAGEBUTTON_UNREADABLE;
    m_menu = std::move(menu);
    m_menuCommand = std::move(onCommand);
    return done(repaint);
}

int CImageButton::SetMenuCallback(std::function<void(QMenu&)> callback)
{
    m_menuCallback = std::move(callback);
    return IMAGEBUTTON_OK;
}

// Hover and click --------------------------------------------------------------------------------------

void CImageButton::startHover()
{
    if (m_hovering || !m_flat || !isEnabled() || (QApplication::mouseButtons() & Qt::LeftButton))
        return;
    if (!m_alwaysTrack && !isActiveWindow())
        return;
    m_hovering = true;
    update();
}

void CImageButton::endHover()
{
    if (!m_hovering)
        return;
    m_hovering = false;
    update();
}

void CImageButton::enterEvent(QEnterEvent* event)
{
    startHover();
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event)
{
    endHover();
    QAbstractButton::leaveEvent(event);
}

void CImageButton::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()) && !(event->buttons() & Qt::LeftButton))
        startHover();
    QAbstractButton::mouseMoveEvent(event);
}

// A fast second click is a click of its own.
void CImageButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CImageButton::focusOutEvent(QFocusEvent* event)
{
    endHover();
    QAbstractButton::focusOutEvent(event);
}

// Deactivation and disabling end the hover; a disabled button hands the focus on.
void CImageButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endHover();
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        endHover();
        if (hasFocus() && parentWidget() && !focusNextChild())
            parentWidget()->setFocus();
    }
    QAbstractButton::changeEvent(event);
}

void CImageButton::onClicked()
{
    update();
    if (m_menu)
        showMenu();
    if (!m_url.isEmpty())
        theOpenUrlHook(m_url);
}

void CImageButton::showMenu()
{
    if (m_menuCallback)
        m_menuCallback(*m_menu);
    const int command = lumivo::ui::execMenu(*m_menu, mapToGlobal(rect().bottomLeft()));
    if (command == 0 || !m_menuCommand)
        return;
    // The command arrives as a posted message would, after the click has finished.
    QMetaObject::invokeMethod(
        this, [handler = m_menuCommand, command] { handler(command); }, Qt::QueuedConnection);
}

// Drawing ----------------------------------------------------------------------------------------------

QColor CImageButton::stateColor(bool background) const
{
    const int base = m_hovering ? BTNCOLOR_BK_HOVER : hasFocus() ? BTNCOLOR_BK_FOCUS : BTNCOLOR_BK_NORMAL;
    return toQColor(m_colors[std::size_t(base + (background ? 0 : 1))]);
}

void CImageButton::drawFrame(QPainter& painter, bool pressed) const
{
    const QRect r = rect();
    if (m_flat) {
        if (pressed)
            edge(painter, r, kBtnShadow, kBtnHighlight);
        else if (m_hovering)
            edge(painter, r, kBtnHighlight, kBtnShadow);
        return;
    }
    if (pressed) {
        edge(painter, r, k3DDarkShadow, kBtnHighlight);
        edge(painter, r.adjusted(1, 1, -1, -1), kBtnShadow, k3DLight);
    } else {
        edge(painter, r, kBtnHighlight, k3DDarkShadow);
        edge(painter, r.adjusted(1, 1, -1, -1), k3DLight, kBtnShadow);
    }
}

QRect CImageButton::imageRect(const QImage& image, const QRect& client, bool hasText) const
{
    const QSize size = image.size();
    QRect placed(QPoint(), size);
    placed.moveCenter(client.center());
    if (!hasText)
        return placed;
    switch (m_align) {
    case IMAGEALIGN_LEFT:
        placed.moveLeft(client.left() + m_margins.x());
        break;
    case IMAGEALIGN_ABOVE:
        placed.moveTop(client.top() + m_margins.y());
        break;
    case IMAGEALIGN_RIGHT:
        placed.moveRight(client.right() - m_margins.x());
        break;
    default:
        break;
    }
    return placed;
}

QRect CImageButton::textRect(const QRect& client, const QRect& image) const
{
    if (image.isEmpty())
        return client;
    switch (m_align) {
    case IMAGEALIGN_LEFT:
        return QRect(QPoint(image.right() + 1 + m_margins.x(), client.top()), client.bottomRight());
    case IMAGEALIGN_ABOVE:
        return QRect(QPoint(client.left(), image.bottom() + 1 + m_margins.y()), client.bottomRight());
    case IMAGEALIGN_RIGHT:
        return QRect(client.topLeft(), QPoint(image.left() - 1 - m_margins.x(), client.bottom()));
    default:
        return client;
    }
}

void CImageButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const bool pressed = m_checkBox ? isChecked() : isDown();
    const bool disabled = !isEnabled();
    const QRect client = rect();
    if (!m_transparent)
        painter.fillRect(client, stateColor(true));
    if (m_drawBorder)
        drawFrame(painter, pressed);

    const QString label = text();
    const Picture& picture = (m_hovering && !m_hover.image.isNull()) ? m_hover : m_normal;
    QRect image;
    if (!picture.image.isNull()) {
        image = imageRect(picture.image, client, !label.isEmpty());
        if (pressed && !m_checkBox)
            image.translate(m_pressedOffset);
        painter.drawImage(image.topLeft(), disabled ? greyCopy(picture.image) : picture.image);
    }

    if (!label.isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
        QRect area = textRect(client, image);
        if (pressed && !m_checkBox)
            area.translate(m_pressedOffset);
        if (disabled) {
            painter.setPen(toQColor(kBtnHighlight));
            painter.drawText(area.translated(1, 1), flags, label);
            painter.setPen(toQColor(kBtnShadow));
        } else {
            painter.setPen(stateColor(false));
        }
        painter.drawText(area, flags, label);
    }

    if (m_flatFocus && hasFocus()) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
    }
}
