#include "authoring/BgTreeView.h"

#include "authoring/BgEditorFrame.h"
#include "core/Page.h"

CQuibBg_TreeView::CQuibBg_TreeView(CQuibBg_Frame& frame) : m_frame(frame)
{
    setObjectName(QStringLiteral("bgEditorTree"));
    setSelectionVeto([this](QTreeWidgetItem* item) { return m_frame.SelectBackground(PageOf(item)); });
}

void CQuibBg_TreeView::AddBackground(CQuibBg* page)
{
    if (!page)
        return;
    if (!page->IsLoaded())
        page->Load();
    addGrouped(page->Name, page, page->GetFile() == m_frame.EditorFile());
}

void CQuibBg_TreeView::RemoveBackgroundItem(CQuibBg* page)
{
    removeItemOf(page);
}

void CQuibBg_TreeView::RefreshBackground(CQuibBg* page)
{
    const bool wasCurrent = currentItem() && PageOf(currentItem()) == page;
    removeItemOf(page);
    AddBackground(page);
    // A page saved for the first time is the editor's current page before it has an item.
    if (wasCurrent || page == m_frame.CurrentBackground())
        SelectItemOf(page);
}
