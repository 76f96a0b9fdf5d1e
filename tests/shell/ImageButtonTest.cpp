// The image button: the result of each operation that can refuse, the default and check-box kinds,
// the grey hover picture, and what a click does with a menu and a web address.

#include "shell/ImageButton.h"

#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMenu>

using namespace lumivo::test;

class ImageButtonTest : public LumivoTest
{
};

TEST_F(ImageButtonTest, EachOperationThatRefusesSaysWhyAndChangesNothing)
{
    CImageButton button;
    COLORREF color = 0;
    EXPECT_EQ(button.SetColor(BTNCOLOR_BK_NORMAL, RGB(200, 100, 50)), IMAGEBUTTON_OK);
    EXPECT_EQ(button.SetColor(6, RGB(1, 2, 3)), IMAGEBUTTON_BAD_COLOR_INDEX);
    EXPECT_EQ(button.GetColor(6, &color), IMAGEBUTTON_BAD_COLOR_INDEX);
    // The offset stops where the brightest component reaches 255, for every component alike.
    EXPECT_EQ(button.OffsetColor(BTNCOLOR_BK_NORMAL, 100), IMAGEBUTTON_OK);
    EXPECT_EQ(button.GetColor(BTNCOLOR_BK_NORMAL, &color), IMAGEBUTTON_OK);
    EXPECT_EQ(color, RGB(255, 155, 105));
    EXPECT_EQ(button.OffsetColor(BTNCOLOR_BK_NORMAL, -300), IMAGEBUTTON_BAD_OFFSET);
    EXPECT_EQ(button.OffsetColor(7, 10), IMAGEBUTTON_BAD_COLOR_INDEX);
    EXPECT_EQ(button.OffsetColor(BTNCOLOR_BK_NORMAL, -200), IMAGEBUTTON_OK);
    button.GetColor(BTNCOLOR_BK_NORMAL, &color);
    EXPECT_EQ(color, RGB(150, 50, 0));

    EXPECT_EQ(button.SetAlign(IMAGEALIGN_NONE), IMAGEBUTTON_OK);
    EXPECT_EQ(button.SetAlign(4), IMAGEBUTTON_BAD_ALIGN);
    EXPECT_EQ(button.SetPressedStyle(1), IMAGEBUTTON_OK);
    EXPECT_EQ(button.SetPressedStyle(2), IMAGEBUTTON_BAD_PRESSED_STYLE);
    EXPECT_EQ(button.SetIcons(999999, 0), IMAGEBUTTON_UNREADABLE);
    EXPECT_EQ(button.SetBitmaps(171, 0x999900, 999999, 0), IMAGEBUTTON_UNREADABLE);
    EXPECT_EQ(button.SetBitmaps(171, 0x999900), IMAGEBUTTON_OK);
    EXPECT_EQ(button.SetMenu(nullptr, [](int) {}), IMAGEBUTTON_UNREADABLE);
    EXPECT_EQ(button.SetBtnCursor(999999), IMAGEBUTTON_UNREADABLE);
    EXPECT_EQ(button.SetBtnCursor(CURSOR_CROSS), IMAGEBUTTON_OK);
    EXPECT_EQ(button.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(button.SetBtnCursor(CURSOR_HAND), IMAGEBUTTON_OK);
    EXPECT_FALSE(button.cursor().pixmap().isNull()) << "the hand drawn for this program";
}

TEST_F(ImageButtonTest, TheStyleGivesTheDefaultButtonAndTheCheckBox)
{
    CImageButton defaultButton(nullptr, BS_DEFPUSHBUTTON | 0x10000);
    EXPECT_TRUE(defaultButton.GetDefault());
    EXPECT_EQ(defaultButton.GetButtonStyle(), 0x10000u | BS_OWNERDRAW);
    EXPECT_EQ(defaultButton.GetDialogCode(), DLGC_DEFPUSHBUTTON);
    defaultButton.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_FALSE(defaultButton.GetDefault());
    EXPECT_EQ(defaultButton.GetDialogCode(), DLGC_UNDEFPUSHBUTTON);

    CImageButton plain;
    plain.SetCheck(true);
    EXPECT_FALSE(plain.GetCheck()); // only a check box keeps a check

    CImageButton box(nullptr, BS_AUTOCHECKBOX);
    EXPECT_FALSE(box.GetDefault());
    box.click();
    EXPECT_TRUE(box.GetCheck());
    box.click();
    EXPECT_FALSE(box.GetCheck());
}

TEST_F(ImageButtonTest, AGreyHoverPictureShowsWhileTheMouseIsOverTheButton)
{
    CImageButton button;
    button.resize(128, 16); // the strip of the browse buttons fills it
    ASSERT_EQ(button.SetIcons(171, kImageButtonGreyHover), IMAGEBUTTON_OK);
    const QPoint watchHub(40, 8);
    const QColor normal = button.grab().toImage().pixelColor(watchHub);
    EXPECT_GT(normal.red(), normal.green() + 60);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&button, &enter);
    ASSERT_TRUE(button.IsHovering());
    const QColor hovered = button.grab().toImage().pixelColor(watchHub);
    EXPECT_EQ(hovered, QColor(qGray(normal.rgb()), qGray(normal.rgb()), qGray(normal.rgb())));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHovering());
}

TEST_F(ImageButtonTest, AClickShowsTheMenuPostsItsCommandAndOpensTheAddress)
{
    CImageButton button;
    auto menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("Crop"))->setData(5301);
    int prepared = 0;
    std::vector<int> commands;
    ASSERT_EQ(button.SetMenu(std::move(menu), [&](int id) { commands.push_back(id); }), IMAGEBUTTON_OK);
    button.SetMenuCallback([&](QMenu& shown) { prepared += int(shown.actions().size()); });
    lumivo::ui::ScopedAnswerer answerer;
    answerer.reply([](QMenu& shown) { return shown.actions().front()->data().toInt(); });
    std::vector<QString> opened;
    const auto open = theOpenUrlHook.scoped([&](const QString& url) {
        opened.push_back(url);
        return true;
    });
    button.SetURL(QStringLiteral("https://example.org/help"));
    button.click();
    EXPECT_EQ(prepared, 1);
    EXPECT_TRUE(commands.empty()); // posted, not yet delivered
    QCoreApplication::processEvents();
    EXPECT_EQ(commands, std::vector<int>{5301});
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("https://example.org/help")});
}
