#include "core/IconEvents.h"

#include "core/Icon.h"
#include "core/IconEditing.h"
#include "core/PageHooks.h"
#include "core/Sound.h"

#include <algorithm>

std::vector<CQuibIcon*> theSelectedIcons;
CQuibIcon* theHoverIcon = nullptr;

lumivo::Hook<void(const CQuibIcon*)> theIconDestroying{[](const CQuibIcon*) {}};
lumivo::Hook<void()> theSelectionChanged{[] {}};
lumivo::Hook<void()> theInflexionButtonUpdate{[] {}};
lumivo::Hook<std::uint32_t(std::int32_t)> theMainPaneLoadPage{[](std::int32_t) { return std::uint32_t{0}; }};
lumivo::Hook<CPane*()> theWriterPaneOf{[] { return static_cast<CPane*>(nullptr); }};
lumivo::Hook<void()> theWriterSentenceChanged{[] {}};
lumivo::Hook<bool(const QString&, const QString&)> theSpeakWithVoice{
    [](const QString&, const QString&) { return false; }};
lumivo::Hook<bool(const QString&)> theExternalReader{[](const QString&) { return false; }};

void ResetIconEvents()
{
    theSelectedIcons.clear();
    theHoverIcon = nullptr;
    theIconDestroying.reset();
    theSelectionChanged.reset();
    theInflexionButtonUpdate.reset();
    theMainPaneLoadPage.reset();
    theWriterPaneOf.reset();
    theWriterSentenceChanged.reset();
    theSpeakWithVoice.reset();
    theExternalReader.reset();
}

void ForgetIcon(const CQuibIcon* icon)
{
    std::erase(theSelectedIcons, icon);
    if (theHoverIcon == icon)
        theHoverIcon = nullptr;
    theIconDestroying(icon);
}

CPane* CQuibIcon::GetPane() const
{
    return theFindPaneShowingIcon(this);
}

void CQuibIcon::Redraw(bool /*erase*/)
{
    theIconRedraw(this);
}

void CQuibIcon::Select(CPane* pane)
{
    if (Flags & kIconNotSelectable) {
        Redraw(false);
        return;
    }
    if (pane == nullptr)
        pane = GetPane();
    if (pane != nullptr && std::ranges::find(theSelectedIcons, this) == theSelectedIcons.end())
        theSelectedIcons.push_back(this);
    const bool nothingToShow = WordId == 0 && PictId == 0 && Name.isEmpty();
    if (theEditTool != kEditToolBrowse)
        Flags |= kIconHandles | kIconSelected;
    else if (!nothingToShow)
        Flags |= kIconSelected;
    ShownWordId = WordId;
    theSelectionChanged();
    theInflexionButtonUpdate();
    if (Flags & kIconVisible)
        Redraw(false);
}

void CQuibIcon::Deselect()
{
    std::erase(theSelectedIcons, this);
    Flags &= ~(kIconSelected | kIconEntered | kIconHandles);
    theLastSoundTick = 0; // the next long press may activate at once
    if (Flags & kIconVisible)
        Redraw(false);
    ShownWordId = WordId;
    Sound.reset();
    theSelectionChanged();
    StopSound();
}

bool CQuibIcon::OnInside()
{
    return true;
}

bool CQuibIcon::OnEnter()
{
    return true;
}

bool CQuibIcon::OnLeave()
{
    return true;
}

bool CQuibIcon::OnLLongDown()
{
    return true;
}

bool CQuibIcon::Activate(std::int32_t /*wordId*/)
{
    return true;
}

bool CQuibIcon::FollowLink()
{
    return false;
}

void CQuibIcon::NextInflexion() {}
