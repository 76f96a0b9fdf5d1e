#include "panes/Panes.h"

CMainPane theMainPane;
CPane theNavigatorPane;
CPane theWordPane;
CWriterPane theWriterPane;
CInfoPane theInfoPane;
CPane theBlankPane;

namespace
{

// Built on use: the panes are static objects made before this file's other statics.
CRect mainPaneContentMargins()
{
    return CRect(20, 40, 11, 20);
}

} // namespace

CMainPane::CMainPane()
{
    ContentRect = mainPaneContentMargins();
}

// The main pane draws nothing of its own between the page and its icons.
void CMainPane::DrawContent(QPainter& /*dc*/) {}

void CMainPane::ResetPane()
{
    CPane::ResetPane();
    ContentRect = mainPaneContentMargins();
}

void ShowLinkedPage(std::int32_t id)
{
    // LoadPage answers with the id shown before, 0 both for a refusal and for a first page: what the
    // pane shows afterwards tells whether the link's page came.
    theMainPane.LoadPage(id);
    if (!theMainPane.GetPage() || theMainPane.GetPage()->GetID() != id)
        theMainPane.LoadPage(kLinkFallbackPage);
}

bool StoreChangedPagesOfPanes()
{
    bool stored = true;
    for (CPane* pane : CPane::PagePanes())
        if (pane->HasUnstoredPageChanges())
            stored = pane->StorePageChanges(true) && stored;
    return stored;
}

void ResetPanes()
{
    for (CPane* pane : {static_cast<CPane*>(&theMainPane), &theNavigatorPane, &theWordPane,
                        static_cast<CPane*>(&theWriterPane), static_cast<CPane*>(&theInfoPane),
                        static_cast<CPane*>(&theBrowsePane), &theBlankPane})
        pane->ResetPane();
    ResetPaneStatics();
}
