#pragma once
// Changing the edit tool, and the mouse thresholds that go with it: the browse tool waits long for the
// second click of a pair and lets the pointer wander before a drag starts, the drawing tools react at
// once. The command dispatcher and the reload sequence change the tool only through here, so the
// thresholds always match the tool in force.

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <cstdint>

class CPane;

// Whether a visible pane lets the tool change (it may have to save its page first). By default the
// pane's own CanSetEditTool answers; tests may put their own answer in.
extern lumivo::Hook<bool(CPane& pane, int tool)> thePaneAcceptsEditToolHook;

// Asks every visible pane, in hit-test order and all of them even after a refusal; when one refuses,
// tool and thresholds stay as they are and the result is false. Otherwise stores the tool, sets its
// thresholds and repaints the editable panes when the browse tool was left or entered.
bool SetEditTool(int tool);
// Makes `tool` the tool in force without asking the panes, with its thresholds.
void ForceEditTool(int tool);

// Puts the hook back to its default (the thresholds are the mouse state's, panes/MouseState.h).
void ResetEditTool();
