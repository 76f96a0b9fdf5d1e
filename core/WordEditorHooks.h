#pragma once
// The word editor's side of what a word asks of it. A word that is removed must vanish from the open
// editor: its sheet forgets the pending change, the frame and the tree select nothing, and the editor's
// current word becomes none. The editor installs these hooks; by default they do nothing, and while no
// editor is open the calls do not reach them.

#include "platform/types/Hook.h"

class CQuibWord;
class CQuibW_Frame;

// The open word editor frame, null while the editor is closed.
extern CQuibW_Frame* theWordEditorFrame;
// No editor open and the hooks back to doing nothing.
void ResetWordEditorFrame();

// The frame makes a word current (none: no word).
extern lumivo::Hook<void(CQuibWord*)> theWordEditorFrameSelectWordHook;
// The tree view selects the item of a word.
extern lumivo::Hook<void(CQuibWord*)> theWordEditorTreeSelectWordHook;
// The sheet's changed state and its two buttons.
extern lumivo::Hook<void(bool)> theWordEditorSetChangedHook;
// The editor's current word.
extern lumivo::Hook<void(CQuibWord*)> theWordEditorSetCurrentWordHook;

bool IsWordEditorOpen();
void WordEditorFrameSelectWord(CQuibWord* word);
void WordEditorTreeSelectWord(CQuibWord* word);
void WordEditorSetChanged(bool changed);
void WordEditorSetCurrentWord(CQuibWord* word);
