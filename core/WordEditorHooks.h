#pragma once
// The word editor's side of what a word asks of it. A word that is removed must vanish from the open
// editor: its sheet forgets the pending change, the frame and the tree select nothing, and the editor's
// current word becomes none. The editor installs these hooks when it opens; while no editor exists the
// calls do nothing.

#include <functional>

class CQuibWord;
class CQuibW_Frame;

// The open word editor frame, null while the editor is closed.
extern CQuibW_Frame* theWordEditorFrame;
void ResetWordEditorFrame();

struct WordEditorHooks {
    std::function<void(CQuibWord*)> frameSelectWord; // the frame makes a word current (none: no word)
    std::function<void(CQuibWord*)> treeSelectWord;  // the tree view selects the item of a word
    std::function<void(bool)> setChanged;            // the sheet's changed state and its two buttons
    std::function<void(CQuibWord*)> setCurrentWord;  // the editor's current word
};

// Installs the editor's hooks (an empty set removes them).
void InstallWordEditorHooks(WordEditorHooks hooks);

bool IsWordEditorOpen();
void WordEditorFrameSelectWord(CQuibWord* word);
void WordEditorTreeSelectWord(CQuibWord* word);
void WordEditorSetChanged(bool changed);
void WordEditorSetCurrentWord(CQuibWord* word);
