#pragma once
// The seven panes of the main client window, alive for the whole run. The screen layouts place them
// and switch them visible; the user's settings give them colours and start pages.

#include "panes/BrowsePane.h"
#include "panes/InfoPane.h"
#include "panes/Pane.h"
#include "panes/WriterPane.h"

#include <cstdint>

// The main pane: the page a person communicates with, where links open. A page larger than the pane is
// placed by its content margins (20, 40, 11, 20), which the pane keeps through every reset.
class CMainPane : public CPane
{
public:
    CMainPane();
    void SetOwnerWnd(CPaneOwner* owner) override { CPane::SetOwnerWnd(owner); }
    void DrawContent(QPainter& dc) override;
    // The reload sequence and the page-package import clear the main pane through its own operation.
    void ClearPage() { CPane::ClearPage(); }
    void ResetPane() override;
};

extern CMainPane theMainPane;
extern CPane theNavigatorPane;
extern CPane theWordPane;
extern CWriterPane theWriterPane;
extern CInfoPane theInfoPane;
extern CPane theBlankPane;

// The page a link falls back to when its own page cannot be shown.
constexpr std::int32_t kLinkFallbackPage = 9304;
// A link asks for the page of `id`: the main pane shows it, or else the fallback page.
void ShowLinkedPage(std::int32_t id);

// Stores what a person changed on the pages the panes show (not a page the page editor holds), and
// they go on showing them: a save that follows writes the changes while the window is still there to
// say when it cannot. False when a page could not be stored.
bool StoreChangedPagesOfPanes();

// Every pane back to its start: no pages, hidden, default fields; then the shared pane state.
void ResetPanes();
