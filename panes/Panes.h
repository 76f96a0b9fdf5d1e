#pragma once
// The seven panes of the main client window, alive for the whole run. The screen layouts place them
// and switch them visible; the user's settings give them colours and start pages.

#include "core/StoredFont.h"
#include "panes/Pane.h"
#include "panes/WriterPane.h"

// The main pane: the page a person communicates with.
class CMainPane : public CPane
{
public:
    void SetOwnerWnd(CPaneOwner* owner) override { CPane::SetOwnerWnd(owner); }
    void DrawContent(QPainter& dc) override;
};

// The information pane: shows pages about the program; its own content comes with the authoring tools.
class CInfoPane : public CPane
{
public:
    void SetOwnerWnd(CPaneOwner* owner) override { CPane::SetOwnerWnd(owner); }
    void DrawOverlay(QPainter& dc) override;
    void DrawContent(QPainter& dc) override;
    void UpdateLayout(bool force) override { CPane::UpdateLayout(force); }
};

// The browse pane: a list of words beside the page, in its own colour and font.
class CBrowsePane : public CPane
{
public:
    void ResetPane() override;

    COLORREF BrowseColor = 0x03D3CEAD; // packed colour
    std::uint32_t BrowseFlags = 0x5011;
    CStoredFont BrowseFont;
};

extern CMainPane theMainPane;
extern CPane theNavigatorPane;
extern CPane theWordPane;
extern CWriterPane theWriterPane;
extern CInfoPane theInfoPane;
extern CBrowsePane theBrowsePane;
extern CPane theBlankPane;

// Every pane back to its start: no pages, hidden, default fields; then the shared pane state.
void ResetPanes();
