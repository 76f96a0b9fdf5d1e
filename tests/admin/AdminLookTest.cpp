// The resource editor, its file-info dialog and the test menu as a person sees them, in Danish and in
// English: every label shows whole. With LUMIVO_RENDER_DIR set, the pictures are written there to be
// looked at.

#include "admin/ResEditorDlg.h"
#include "admin/ResFileInfoDlg.h"
#include "admin/TestMenu.h"
#include "shell/Menus.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "tests/admin/AdminTestSupport.h"
#include "tests/core/UserTestStore.h"

#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace lumivo::test;

namespace
{

constexpr std::uint16_t kDanish = 2;
constexpr std::uint16_t kEnglish = 8;

void render(QWidget& widget, const QString& name)
{
    const QImage picture = widget.grab().toImage();
    EXPECT_FALSE(picture.isNull());
    if (const QString folder = qEnvironmentVariable("LUMIVO_RENDER_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        picture.save(folder + "/" + name + ".png");
    }
}

// Every label is as wide as its text needs, or as tall as its text needs at its width when it wraps,
// and the window fits on the screen.
void expectNothingCut(const QWidget& dialog)
{
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        if (label->wordWrap())
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
        else
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    EXPECT_LE(dialog.width(), dialog.screen()->availableGeometry().width())
        << dialog.objectName().toStdString();
}

} // namespace

class AdminLookTest : public AdminTest, public ::testing::WithParamInterface<std::uint16_t>
{
};

TEST_P(AdminLookTest, TheEditorItsInfoAndTheTestMenuShowWhole)
{
    theLanguageNo = GetParam();
    const QString language = GetParam() == kDanish ? "da" : "en";
    // Data sets often lie deep in folders: a long path must not push the windows past the screen.
    const QString folder = tempPath("Lumivo data sets for the school/Pages of the kitchen and the garden");
    QDir().mkpath(folder);
    const QString path = folder + "/look.tvf";
    const int file = makeResourceFile(path);
    storeRecord(file, 9, MakeBgType(1, 2), "Page nine");
    storeRecord(file, 7, MakeWordType(1), "Hej");
    ASSERT_EQ(SaveResFile(file), 0);
    ASSERT_EQ(CloseResFile(file), 0);

    CResEditorDlg editor;
    ASSERT_TRUE(editor.OpenFile(path, false));
    editor.Tree()->expandAll();
    editor.Tree()->topLevelItem(1)->child(0)->setCheckState(0, Qt::Checked);
    editor.Tree()->setCurrentItem(editor.Tree()->topLevelItem(0)->child(0));
    editor.show();
    editor.adjustSize();
    render(editor, "resource-editor-" + language);
    expectNothingCut(editor);
    const QWidget* type = editor.findChild<QWidget*>("resourceTypeEdit");
    EXPECT_GE(type->width(), type->fontMetrics().horizontalAdvance("'gb?\?'  '103-98-1-2'"));

    CResFileInfoDlg info(editor.File(), &editor);
    info.show();
    info.adjustSize();
    render(info, "resource-file-info-" + language);
    expectNothingCut(info);

    for (QAction* popup : editor.MenuBar()->actions()) {
        popup->menu()->adjustSize();
        render(*popup->menu(), "resource-editor-menu-" + popup->menu()->title().remove('&') + "-" + language);
    }
    CreateMenus();
    theTestMenu->adjustSize();
    render(*theTestMenu, "test-menu-" + language);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, AdminLookTest, ::testing::Values(kDanish, kEnglish));
