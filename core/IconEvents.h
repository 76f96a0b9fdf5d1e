#pragma once
// What an icon does when a person points at it, selects it, follows its link or activates it, and the
// state about icons that every pane shares: the selection and the icon under the mouse.
//
// Activation plays and speaks through the media below (the sound device, the speech engine, the
// outside reader). The icons cannot see the panes or the shell above them; they reach them through the
// hooks below, which those layers install. By default nothing is shown or loaded.

#include "platform/types/Hook.h"

#include <QString>

#include <cstdint>
#include <vector>

class CPane;
class CQuibIcon;

// The selected icons in the order they were selected. Icons enter it by Select and leave it by
// Deselect (or by dying).
extern std::vector<CQuibIcon*> theSelectedIcons;
// The icon under the mouse, or none. Changed only through SetHoverIcon, which announces it.
extern CQuibIcon* theHoverIcon;
void SetHoverIcon(CQuibIcon* icon);

// An icon is about to be destroyed. ForgetIcon (run by the icon's destructor) takes it out of the
// selection and the hover slot, then runs this hook, so that what higher layers keep of it (the
// clipboard's copy source) never points at a freed icon.
extern lumivo::Hook<void(const CQuibIcon* icon)> theIconDestroying;
void ForgetIcon(const CQuibIcon* icon);

// The selection changed: the clipboard's commands, the browse pane and the writer pane follow it.
extern lumivo::Hook<void()> theSelectionChanged;
// The word navigation bar's inflexion button follows the selected icon.
extern lumivo::Hook<void()> theInflexionButtonUpdate;
// The main pane shows the page of that id; true when it shows it afterwards (taken now, or shown
// already). The pane's own LoadPage answers with the id shown before, which is 0 both for a refusal and
// for a first page, so a link could not tell them apart.
extern lumivo::Hook<bool(std::int32_t id)> theMainPaneLoadPage;
// The writer pane, or none; an icon of its sentence steps its own word on "next inflexion".
extern lumivo::Hook<CPane*()> theWriterPaneOf;
// The writer pane's sentence took a changed icon: it commits the sentence and repaints.
extern lumivo::Hook<void()> theWriterSentenceChanged;

// The status text shown when an activation found nothing to play.
inline constexpr char kNoSoundText[] = "Ingen lyd tilknyttet dette ord eller ikon.";
// The page a link falls back to when its own page cannot be shown.
constexpr std::int32_t kLinkFallbackPage = 9304;
// A long press activates only this long after the last sound started.
constexpr std::uint32_t kLongPressSoundGapMs = 3001;

// Empties the selection and the hover slot and puts the hooks back.
void ResetIconEvents();
