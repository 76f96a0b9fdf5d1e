#pragma once
// The word editor's list: the words its filters let through, under their initial letters in Danish
// order, each word's item bold when it lies in the editor's file. A person's move to another word asks
// the frame (CQuibW_Frame::SelectWord), which may refuse it.
//
// The filters (the options of the frame, tested in this order) hide a word that no page uses, one that
// is not a base form, one with a class, one that has a picture of the kind chosen on the Image page, and
// one that has a sound of the kind chosen on the Sound page.

#include "authoring/EditorTree.h"

class CQuibWord;
class CQuibW_Frame;

class CQuibW_TreeView : public CEditorTree
{
    Q_OBJECT

public:
    explicit CQuibW_TreeView(CQuibW_Frame& frame);

    // Lists the word (loaded first when it is not) under its letter, unless the filters hide it.
    void AddWordToTree(CQuibWord* word);
    // Loads the word when it is not; whether the filters let it into the list.
    bool LoadAndFilter(CQuibWord* word);
    // What the list shows for a word it lists.
    GroupedName ListedNameOf(CQuibWord* word) const;
    // Whether the filters let the word through.
    bool IsWordShown(CQuibWord& word) const;
    QTreeWidgetItem* FindWordItem(const CQuibWord* word) const { return findItemOf(word); }
    void RemoveWordItem(const CQuibWord* word) { removeItemOf(word); }
    // Lists the word again under its present name, selected when it was.
    void RefreshWordItem(CQuibWord* word);
    // Makes the word's item current (none: no item) without asking the frame.
    void SelectWordSilently(const CQuibWord* word) { selectSilently(word); }
    static CQuibWord* WordOf(const QTreeWidgetItem* item) { return static_cast<CQuibWord*>(objectOf(item)); }

private:
    CQuibW_Frame& m_frame;
};
