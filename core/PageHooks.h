#pragma once
// What a page asks of the panes and of the page editor, which live in layers above it. The panes and
// the editor install these hooks; by default no pane shows a page and no editor is open, so the calls
// do nothing.

#include "platform/types/Hook.h"

#include <cstdint>

class CPane;
class CQuibBg;
class CQuibIcon;

// The pane that shows the page, or none.
extern lumivo::Hook<CPane*(const CQuibBg* page)> theFindPaneShowingPage;
// The pane shows `page` instead of what it showed; none: it lets go of its page.
extern lumivo::Hook<void(CPane* pane, CQuibBg* page)> thePaneSetPage;
// The pane loads the page of that id (-2: its default page).
extern lumivo::Hook<void(CPane* pane, std::int32_t id)> thePaneLoadPage;
// The pane lays its page out again (its icons' screen rectangles, its picture).
extern lumivo::Hook<void(CPane* pane)> thePaneUpdateLayout;

// The pane that shows the icon, or none; and the page a pane shows, or none.
extern lumivo::Hook<CPane*(const CQuibIcon* icon)> theFindPaneShowingIcon;
extern lumivo::Hook<CQuibBg*(CPane* pane)> thePanePage;

// The page editor: a page was committed (the editor marks its view changed and refreshes its controls
// when that page is its current one).
extern lumivo::Hook<void(CQuibBg* page)> thePageEditorCommitted;
// The page editor: a page is being removed (the editor clears its changed state, selects no page,
// re-points its tree and makes no page current when it was showing that page).
extern lumivo::Hook<void(CQuibBg* page)> thePageEditorRemoving;

// The pane that shows `page` lets go of it, so the page can be deleted; gives that pane.
CPane* ReleasePageFromPane(const CQuibBg* page);

// Puts every hook above back to its default.
void ResetPageHooks();
