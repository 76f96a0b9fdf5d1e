// Renders the page editor (each tab of its sheet) and the crop dialog to PNG files in both languages,
// for a person to look at. Runs only when LUMIVO_RENDER_DIR names the folder to write to:
//   LUMIVO_RENDER_DIR=build/render ./test_authoring --gtest_filter='RenderEditor*'

#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgSheetView.h"
#include "authoring/BgTreeView.h"
#include "authoring/CropPictureDlg.h"

#include "core/Picture.h"
#include "system/SystemSettings.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/authoring/EditorRendering.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

using namespace lumivo::test;

namespace
{

class RenderEditorTest : public EditorRenderingTest
{
protected:
    void TearDown() override
    {
        ResetBackgroundEditor();
        theBgIndex.DeleteAll();
        EditorRenderingTest::TearDown();
    }
};

} // namespace

TEST_F(RenderEditorTest, TheEditorWindowAndTheCropDialogInBothLanguages)
{
    for (const auto& [language, suffix] : {std::pair{2, "da"}, std::pair{9, "en"}}) {
        theLanguageNo = std::uint16_t(language);
        UserInFile user(tempPath(QStringLiteral("user-%1.tvf").arg(suffix)), 2);
        CQuibBg* page = filePage(user.file, 80, 2, QStringLiteral("Køkkenet"));
        CQuibPict picture;
        ASSERT_EQ(picture.SaveAs(80, user.file, MakePictType(0x21, 2)), 0);
        ASSERT_TRUE(picture.SetImage(patternImage(640, 427), 640, 427, pictJpeg70));
        ASSERT_EQ(picture.Write(), 0);
        int id = 81;
        for (const char* name : {"abe", "Zebra", "æble", "Badeværelse", "Legepladsen ved skolen",
                                 "Frikvarteret i gården bag ved den gamle gymnastiksal"})
            filePage(user.file, id++, 2, QString::fromUtf8(name));
        OpenBackgroundEditor();
        ASSERT_NE(theBgEditorFrame, nullptr);
        CQuibBg_Frame& frame = *theBgEditorFrame;
        frame.Tree().expandAll();
        frame.SelectBackground(page);
        CQuibBg_PropSheet& sheet = frame.View().Sheet();
        const char* tabs[] = {"basic", "image", "userlevels"};
        for (int tab = 0; tab < 3; ++tab) {
            sheet.SetActivePage(tab);
            if (tab == 1)
                frame.SetImageScreenSize(2);
            saveAsShown(frame, QStringLiteral("page-editor-%1-%2").arg(tabs[tab], suffix));
        }
        ResetBackgroundEditor();
        theBgIndex.DeleteAll();

        CCropPictureDlg crop;
        crop.ShowPicture(patternImage(256, 180), tempPath("Pictures/holiday.jpg"));
        crop.SetMargins(CropMargins{100, 50, 150, 80});
        crop.resize(640, 420);
        save(crop, QStringLiteral("crop-dialog-%1").arg(suffix));
    }
}
