#include "panes/Panes.h"

CMainPane theMainPane;
CPane theNavigatorPane;
CPane theWordPane;
CWriterPane theWriterPane;
CInfoPane theInfoPane;
CPane theBlankPane;

// The main pane's own layer between background and icons comes with the page editor; nothing yet.
void CMainPane::DrawContent(QPainter& /*dc*/) {}

// The information pane's own content comes with the authoring tools; nothing yet.
void CInfoPane::DrawOverlay(QPainter& /*dc*/) {}
void CInfoPane::DrawContent(QPainter& /*dc*/) {}

void ShowLinkedPage(std::int32_t id)
{
    // LoadPage answers with the id shown before, 0 both for a refusal and for a first page: what the
    // pane shows afterwards tells whether the link's page came.
    theMainPane.LoadPage(id);
    if (!theMainPane.GetPage() || theMainPane.GetPage()->GetID() != id)
        theMainPane.LoadPage(kLinkFallbackPage);
}

void ResetPanes()
{
    for (CPane* pane : {static_cast<CPane*>(&theMainPane), &theNavigatorPane, &theWordPane,
                        static_cast<CPane*>(&theWriterPane), static_cast<CPane*>(&theInfoPane),
                        static_cast<CPane*>(&theBrowsePane), &theBlankPane})
        pane->ResetPane();
    ResetPaneStatics();
    ResetWriterPaneHooks();
}
