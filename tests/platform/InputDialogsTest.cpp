#include "platform/ui/InputDialogs.h"
#include "platform/ui/Ui.h"
#include "tests/support/LumivoTest.h"

#include <QDialog>
#include <QLineEdit>

using lumivo::test::LumivoTest;
namespace ui = lumivo::ui;

class InputDialogsTest : public LumivoTest
{
};

TEST_F(InputDialogsTest, APasswordIsHiddenWhileTypedAndReturnedOnOkOnly)
{
    ui::ScopedAnswerer answers;
    answers.reply([](QDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(ui::kTextInputEditName));
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(edit->text(), QStringLiteral("old"));
        edit->setText(QStringLiteral("hemmelig"));
        return ui::IDOK;
    });
    answers.reply([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QLatin1String(ui::kTextInputEditName))
            ->setText(QStringLiteral("dropped"));
        return ui::IDCANCEL;
    });

    QString text = QStringLiteral("old");
    EXPECT_EQ(CTextInputDlg::AskText(QStringLiteral("Log in"), QStringLiteral("Password:"), text, true),
              ui::IDOK);
    EXPECT_EQ(text, QStringLiteral("hemmelig"));
    EXPECT_EQ(CTextInputDlg::AskText(QStringLiteral("Log in"), QStringLiteral("Password:"), text, false),
              ui::IDCANCEL);
    EXPECT_EQ(text, QStringLiteral("hemmelig"));
    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions()[0].text, QStringLiteral("Log in"));
}
