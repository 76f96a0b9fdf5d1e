#pragma once
// What the word editor's tests build on besides the page editor's (AuthoringTestFiles.h): words stored
// in real files and filed in the word index as the index builder files them, and the editor opened on
// the current user's file.

#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"
#include "store/ResourceTypes.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/LumivoTest.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace lumivo::test
{

// A word stored in `file` under (id, word type of `language`) and filed in theWordIndex with its name.
inline CQuibWord* fileWord(int file, std::int32_t id, int language, const QString& name,
                           std::int16_t form = 0)
{
    auto word = std::make_unique<CQuibWord>();
    word->WordName = name;
    word->WordForm = form;
    EXPECT_EQ(word->SaveAs(id, file, MakeWordType(std::int16_t(language))), 0);
    EXPECT_EQ(word->Write(), 0);
    CQuibWord* filed = word.get();
    theWordIndex.Add(std::move(word));
    theWordIndex.Names().InsertSorted(name, filed);
    return filed;
}

// The word editor on the current user's file.
inline CQuibW_Frame& openWordEditor()
{
    OpenWordEditor();
    EXPECT_NE(theWordEditorFrame, nullptr);
    return *theWordEditorFrame;
}

// The fixture of the word editor's tests: the editor and the filed words go before the user.
class WordEditorFixture : public EditorUserFixture
{
protected:
    void TearDown() override
    {
        ResetWordEditor();
        theWordIndex.DeleteAll();
        EditorUserFixture::TearDown();
    }
};

} // namespace lumivo::test
