// Renders the word editor (each tab of its sheet) to PNG files in both languages, for a person to look
// at. Runs only when LUMIVO_RENDER_DIR names the folder to write to:
//   LUMIVO_RENDER_DIR=build/render ./test_authoring --gtest_filter='RenderWordEditor*'

#include "authoring/WordSheetView.h"
#include "authoring/WordTreeView.h"

#include "core/Picture.h"
#include "core/Sound.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/authoring/EditorRendering.h"
#include "tests/authoring/WordTestFiles.h"
#include "tests/support/LumivoTest.h"

#include <gtest/gtest.h>

using namespace lumivo::test;

namespace
{

class RenderWordEditorTest : public EditorRenderingTest
{
protected:
    void SetUp() override
    {
        EditorRenderingTest::SetUp();
        if (!IsSkipped())
            theBaseDir = tempPath("base");
    }

    void TearDown() override
    {
        ResetWordEditor();
        theWordIndex.DeleteAll();
        EditorRenderingTest::TearDown();
    }

    static void storeMedia(int file, std::int32_t id)
    {
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), 0);
        ASSERT_TRUE(picture.SetImage(patternImage(128, 128), 128, 128, pictPng));
        ASSERT_EQ(picture.SaveAs(id, file, MakePictType(5, 2)), 0);
        picture.Write();
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), 0);
        sound.SetData(std::vector<std::uint8_t>(44100, 0), 0x102, 12, 1000, 44100);
        ASSERT_EQ(sound.SaveAs(id, file, MakeSoundType(1, 2)), 0);
        sound.Write();
    }
};

} // namespace

TEST_F(RenderWordEditorTest, EveryPageOfTheWordEditorInBothLanguages)
{
    for (const auto& [language, suffix] : {std::pair{2, "da"}, std::pair{9, "en"}}) {
        theLanguageNo = std::uint16_t(language);
        UserInFile user(tempPath(QStringLiteral("user-%1.tvf").arg(suffix)), 2);
        theActiveFiles = {user.file};
        theSearchLanguages = {2};
        CQuibWord* word = fileWord(user.file, 80, 2, QString::fromUtf8("løbe"), 0x2100);
        fileWord(user.file, 81, 2, QString::fromUtf8("løb"), 0x2300)->FamilyList = {80};
        int id = 82;
        for (const char* name : {"bil", "Bus", "æble", "Zebra", "Legepladsen ved skolen", ""})
            fileWord(user.file, id++, 2, QString::fromUtf8(name));
        storeMedia(user.file, 80);
        CQuibW_Frame& frame = openWordEditor();
        frame.Tree().expandAll();
        frame.SelectWord(word);
        CQuibW_PropSheet& sheet = frame.View().Sheet();
        const char* tabs[] = {"basic", "info", "image", "sound", "animation"};
        for (int tab = 0; tab < 5; ++tab) {
            sheet.SetActivePage(tab);
            if (tab == 2)
                sheet.PictPage().ChooseKey((5 << 8) | 2);
            if (tab == 3)
                sheet.SoundPage().ChooseKey(1 | (2 << 8));
            saveAsShown(frame, QStringLiteral("word-editor-%1-%2").arg(tabs[tab], suffix));
        }
        ResetWordEditor();
        theWordIndex.DeleteAll();
    }
}
