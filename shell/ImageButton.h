#pragma once
// A push button that draws itself: a picture for the normal and one for the hover state beside its
// text, lit while the mouse is over it, and optionally a check box, a tooltip, its own cursor, a popup
// menu or a web address to open when it is clicked. The dialogs share it (the picture cropping, a page
// of the user settings).

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <QAbstractButton>
#include <QCursor>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QMenu;

// Button style bits: the type in the low four bits.
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_CHECKBOX = 0x2;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t BS_OWNERDRAW = 0xB;
constexpr std::uint32_t BS_TYPEMASK = 0xF;
// What the button answers a dialog that asks whether it is its default button.
constexpr int DLGC_DEFPUSHBUTTON = 0x10;
constexpr int DLGC_UNDEFPUSHBUTTON = 0x20;

// Results of the button's operations.
enum ImageButtonResult : int {
    IMAGEBUTTON_OK = 0,
    IMAGEBUTTON_UNREADABLE = 1, // the picture, cursor or menu could not be had
    IMAGEBUTTON_NO_MASK = 2,
    IMAGEBUTTON_BAD_COLOR_INDEX = 3,
    IMAGEBUTTON_BAD_ALIGN = 4,
    IMAGEBUTTON_BAD_OFFSET = 5,
    IMAGEBUTTON_BAD_PRESSED_STYLE = 6,
};

// The six colours, by index.
enum ImageButtonColor : int {
    BTNCOLOR_BK_HOVER = 0,
    BTNCOLOR_FG_HOVER = 1,
    BTNCOLOR_BK_NORMAL = 2,
    BTNCOLOR_FG_NORMAL = 3,
    BTNCOLOR_BK_FOCUS = 4,
    BTNCOLOR_FG_FOCUS = 5,
    BTNCOLOR_COUNT = 6,
};

// Where the picture goes against the text.
enum ImageButtonAlign : int {
    IMAGEALIGN_LEFT = 0,
    IMAGEALIGN_ABOVE = 1,
    IMAGEALIGN_RIGHT = 2,
    IMAGEALIGN_NONE = 3,
};

// The hover picture id that asks for a grey copy of the normal icon.
constexpr int kImageButtonGreyHover = -2;

// Opens a web address in the desktop's browser; true when it opened.
extern lumivo::Hook<bool(const QString& url)> theOpenUrlHook;
// Puts the hook back.
void ResetImageButtonHooks();

class CImageButton : public QAbstractButton
{
public:
    // The type bits of `buttonStyle` give check-box mode (bit 2) and the default button (type 1).
    explicit CImageButton(QWidget* parent = nullptr, std::uint32_t buttonStyle = BS_PUSHBUTTON);
    ~CImageButton() override;

    // Keeps the default-button flag in step with the type; the type is always owner-drawn.
    void SetButtonStyle(std::uint32_t buttonStyle, bool repaint = true);
    std::uint32_t GetButtonStyle() const { return m_style; }
    int GetDialogCode() const { return m_default ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON; }
    bool GetDefault() const { return m_default; }

    // Pictures from the program's resources by id (hover 0: none; kImageButtonGreyHover: a grey copy
    // of the normal one), or given.
    int SetIcons(int idNormal, int idHover);
    int SetIcons(const QImage& normal, const QImage& hover);
    // Pictures whose transparent colour (0x00BBGGRR) shows the background.
    int SetBitmaps(int idNormal, COLORREF transparentNormal, int idHover = 0, COLORREF transparentHover = 0);
    int SetBitmaps(const QImage& normal, COLORREF transparentNormal, const QImage& hover = {},
                   COLORREF transparentHover = 0);

    int SetFlat(bool on, bool repaint = true);
    int SetAlign(int align, bool repaint = true);
    // 0: a pressed picture moves by (1, 1); 1: by (0, 2).
    int SetPressedStyle(int style, bool repaint = true);
    int SetCheck(bool on, bool repaint = true);
    bool GetCheck() const;
    int SetDefaultColors(bool repaint = true);
    int SetColor(int index, COLORREF color, bool repaint = true);
    int GetColor(int index, COLORREF* color) const;
    // Adds `offset` to red, green and blue alike, no more than keeps every component within 0 to 255.
    int OffsetColor(int index, int offset, bool repaint = true);
    int SetAlwaysTrack(bool on);
    int SetBtnCursor(int id, bool repaint = true);
    int DrawBorder(bool on, bool repaint = true);
    int DrawFlatFocus(bool on, bool repaint = true);
    int DrawTransparent(bool repaint = true);
    int SetTooltipText(const QString& text, bool activate = true);
    int SetTooltipText(int stringId, bool activate = true);
    int ActivateTooltip(bool on = true);
    int SetURL(const QString& url);
    // The menu shown under the button when it is clicked; the chosen command reaches `onCommand`
    // through the event loop. A null menu gives IMAGEBUTTON_UNREADABLE.
    int SetMenu(std::unique_ptr<QMenu> menu, std::function<void(int commandId)> onCommand,
                bool repaint = true);
    // Called with the menu right before it shows.
    int SetMenuCallback(std::function<void(QMenu& menu)> callback);
    // The button takes its picture's size; the margins become 0.
    int SizeToContent();

    bool IsHovering() const { return m_hovering; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Picture {
        QImage image; // transparent where the background shows
        bool icon = false;
    };

    int done(bool repaint);
    void startHover();
    void endHover();
    void onClicked();
    void showMenu();
    QColor stateColor(bool background) const;
    void drawFrame(QPainter& painter, bool pressed) const;
    QRect imageRect(const QImage& image, const QRect& client, bool hasText) const;
    QRect textRect(const QRect& client, const QRect& image) const;

    bool m_default = false;
    bool m_checkBox = false;
    bool m_flat = true; // hover tracking and the flat look
    bool m_hovering = false;
    bool m_alwaysTrack = true;
    QPoint m_pressedOffset{1, 1};
    QPoint m_margins{3, 3};
    int m_align = IMAGEALIGN_LEFT;
    bool m_drawBorder = true;
    bool m_flatFocus = false;
    bool m_transparent = false;
    std::array<COLORREF, BTNCOLOR_COUNT> m_colors{};
    QString m_tooltip;
    std::optional<QCursor> m_cursor;
    std::unique_ptr<QMenu> m_menu;
    std::function<void(int)> m_menuCommand;
    std::function<void(QMenu&)> m_menuCallback;
    QString m_url;
    std::uint32_t m_style = BS_OWNERDRAW;
    Picture m_normal;
    Picture m_hover;
};
