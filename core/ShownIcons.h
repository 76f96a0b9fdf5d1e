#pragma once
// What the views show now, told to the model so that an icon can answer for itself which page holds it
// (CQuibIcon::GetBackground) and whether it is shown at all (CQuibIcon::IsVisibleIn) without asking a
// view. Each view notes what it shows while it is visible, and notes it again whenever that changes: the
// page it shows (none: no page) and the icon lists it holds besides the page's (a pane's own icons, the
// writer pane's sentence). An icon of such a list belongs to the view's page, as the view shows both.
//
// A view is named by its address; nothing here reads through it.

#include "core/Icon.h"

#include <vector>

class CQuibBg;

struct ShownIcons {
    CQuibBg* page = nullptr;
    std::vector<const CQuibIconList*> ownIcons;
};

// What `view` shows from now on, replacing what it showed before.
void NoteShownIcons(const void* view, ShownIcons shown);
// `view` shows nothing (it was hidden, or it goes).
void ForgetShownIcons(const void* view);

// The page of the view that shows the icon, or none (also when no view shows it).
CQuibBg* ShownPageOf(const CQuibIcon* icon);
// Whether a view shows the icon.
bool IsIconShown(const CQuibIcon* icon);

// Forgets every view.
void ResetShownIcons();
