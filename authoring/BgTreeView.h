#pragma once
// The page editor's tree: pages under their initial letters in Danish order, each page's item bold
// when it lies in the editor's file. A person's move to another page asks the frame
// (CQuibBg_Frame::SelectBackground), which may refuse it.

#include "authoring/EditorTree.h"

class CQuibBg;
class CQuibBg_Frame;

class CQuibBg_TreeView : public CEditorTree
{
    Q_OBJECT

public:
    explicit CQuibBg_TreeView(CQuibBg_Frame& frame);

    // Lists the page (loaded first when it is not) under its letter.
    void AddBackground(CQuibBg* page);
    void RemoveBackgroundItem(CQuibBg* page);
    // Lists the page again under its present name, current when it was or when it is the editor's.
    void RefreshBackground(CQuibBg* page);
    QTreeWidgetItem* FindItem(CQuibBg* page) const { return findItemOf(page); }
    // Makes the page's item current (none: no item) without asking the frame.
    void SelectItemOf(CQuibBg* page) { selectSilently(page); }
    CQuibBg* PageOf(const QTreeWidgetItem* item) const { return static_cast<CQuibBg*>(objectOf(item)); }

private:
    CQuibBg_Frame& m_frame;
};
