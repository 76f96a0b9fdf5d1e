#include "core/PageHooks.h"

lumivo::Hook<CPane*(const CQuibBg*)> theFindPaneShowingPage{[](const CQuibBg*) -> CPane* { return nullptr; }};
lumivo::Hook<void(CPane*, CQuibBg*)> thePaneSetPage{[](CPane*, CQuibBg*) {}};
lumivo::Hook<void(CPane*, std::int32_t)> thePaneLoadPage{[](CPane*, std::int32_t) {}};
lumivo::Hook<void(CPane*)> thePaneUpdateLayout{[](CPane*) {}};
lumivo::Hook<CPane*(const CQuibIcon*)> theFindPaneShowingIcon{
    [](const CQuibIcon*) -> CPane* { return nullptr; }};
lumivo::Hook<CQuibBg*(CPane*)> thePanePage{[](CPane*) -> CQuibBg* { return nullptr; }};
lumivo::Hook<void(CQuibBg*)> thePageEditorCommitted{[](CQuibBg*) {}};
lumivo::Hook<void(CQuibBg*)> thePageEditorRemoving{[](CQuibBg*) {}};

CPane* ReleasePageFromPane(const CQuibBg* page)
{
    CPane* pane = theFindPaneShowingPage(page);
    if (pane)
        thePaneSetPage(pane, nullptr);
    return pane;
}

void ResetPageHooks()
{
    theFindPaneShowingPage.reset();
    thePaneSetPage.reset();
    thePaneLoadPage.reset();
    thePaneUpdateLayout.reset();
    theFindPaneShowingIcon.reset();
    thePanePage.reset();
    thePageEditorCommitted.reset();
    thePageEditorRemoving.reset();
}
