#include "authoring/WordTreeView.h"

#include "authoring/WordEditorFrame.h"
#include "authoring/WordForms.h"
#include "authoring/WordSheetView.h"
#include "core/Lookups.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/Word.h"
#include "shell/WordNavBar.h"

CQuibW_TreeView::CQuibW_TreeView(CQuibW_Frame& frame) : m_frame(frame)
{
    setObjectName(QStringLiteral("wordEditorTree"));
    setSelectionVeto([this](QTreeWidgetItem* item) { return m_frame.SelectWord(WordOf(item)); });
}

bool CQuibW_TreeView::IsWordShown(CQuibWord& word) const
{
    const std::uint16_t options = m_frame.Options();
    if ((options & kWordFilterOnPages) && !IsWordOnAnyPage(word.GetID()))
        return false;
    if ((options & kWordFilterBaseForms) && InflexionOf(word.WordForm) != kBaseForm)
        return false;
    if ((options & kWordFilterNoForm) && WordClassOf(word.WordForm) != 0)
        return false;
    if (options & kWordFilterNoPicture) {
        const int kind = m_frame.View().Sheet().PictPage().ChosenKind();
        if (kind != 0 && FindPictureById(word.GetID(), kind))
            return false;
    }
    if (options & kWordFilterNoSound) {
        const int kind = m_frame.View().Sheet().SoundPage().ChosenKind();
        if (kind != 0 && FindSoundById(word.GetID(), kind))
            return false;
    }
    return true;
}

bool CQuibW_TreeView::LoadAndFilter(CQuibWord* word)
{
    if (!word)
        return false;
    if (!word->IsLoaded())
        word->Load();
    return IsWordShown(*word);
}

GroupedName CQuibW_TreeView::ListedNameOf(CQuibWord* word) const
{
    return {word->WordName, word, word->GetFile() == m_frame.EditorFile()};
}

void CQuibW_TreeView::AddWordToTree(CQuibWord* word)
{
    if (!LoadAndFilter(word))
        return;
    const GroupedName listed = ListedNameOf(word);
    addGrouped(listed.name, listed.object, listed.bold);
}

void CQuibW_TreeView::RefreshWordItem(CQuibWord* word)
{
    const bool wasCurrent = currentItem() && WordOf(currentItem()) == word;
    removeItemOf(word);
    AddWordToTree(word);
    // A word saved for the first time is the editor's current word before it has an item.
    if (wasCurrent || word == m_frame.CurrentWord())
        SelectWordSilently(word);
}
