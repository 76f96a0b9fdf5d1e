#include "panes/Panes.h"

CMainPane theMainPane;
CPane theNavigatorPane;
CPane theWordPane;
CWriterPane theWriterPane;
CInfoPane theInfoPane;
CBrowsePane theBrowsePane;
CPane theBlankPane;

// The main pane's own layer between background and icons comes with the page editor; nothing yet.
void CMainPane::DrawContent(QPainter& /*dc*/) {}

// The information pane's own content comes with the authoring tools; nothing yet.
void CInfoPane::DrawOverlay(QPainter& /*dc*/) {}
void CInfoPane::DrawContent(QPainter& /*dc*/) {}

void CBrowsePane::ResetPane()
{
    CPane::ResetPane();
    BrowseColor = 0x03D3CEAD;
    BrowseFlags = 0x5011;
    BrowseFont = CStoredFont();
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
