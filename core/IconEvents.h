#pragma once
// What an icon does when a person points at it, selects it, follows its link or activates it, and the
// state about icons that every pane shares: the selection and the icon under the mouse.
//
// The icons cannot see the panes or the shell above them: what changes about them they announce
// through thePageEvents (core/PageEvents.h). Activation plays and speaks through the media below (the
// sound device, the speech engine, the outside reader).

#include <QString>

#include <cstdint>
#include <vector>

class CQuibIcon;

// The selected icons in the order they were selected. Icons enter it by Select and leave it by
// Deselect (or by dying).
extern std::vector<CQuibIcon*> theSelectedIcons;
// The icon under the mouse, or none. Changed only through SetHoverIcon, which announces it.
extern CQuibIcon* theHoverIcon;
void SetHoverIcon(CQuibIcon* icon);

// An icon is about to be destroyed. ForgetIcon (run by the icon's destructor) takes it out of the
// selection and the hover slot, then announces it (iconAboutToBeDestroyed), so that what higher layers
// keep of it (the clipboard's copy source) never points at a freed icon.
void ForgetIcon(const CQuibIcon* icon);

// The status text shown when an activation found nothing to play.
inline constexpr char kNoSoundText[] = "Ingen lyd tilknyttet dette ord eller ikon.";
// A long press activates only this long after the last sound started.
constexpr std::uint32_t kLongPressSoundGapMs = 3001;

// Empties the selection and the hover slot.
void ResetIconEvents();
