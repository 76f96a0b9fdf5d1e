#pragma once
// The seven panes of the main client window, alive for the whole run. The screen layouts place them
// and switch them visible; the user's settings give them colours and start pages.

#include "panes/BrowsePane.h"
#include "panes/Pane.h"
#include "panes/WriterPane.h"

#include <cstdint>

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

// Every pane back to its start: no pages, hidden, default fields; then the shared pane state.
void ResetPanes();
