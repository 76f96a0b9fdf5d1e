#pragma once
// Opening and closing the word editor, and what the rest of the program asks of it. At most one editor
// exists (theWordEditorFrame, core/WordEditorHooks.h); opening it again only brings it to the front.
//
// Two flags say how it was opened: for editing (the user's own file) and for translating (the output
// file). Each open sets its flag, also when the editor already exists, so both can be set; only the
// editor's going clears them.

class QWidget;

// Command 5102: the editor on the current user's file in the user's primary language. Without a user,
// or with a primary language that is not a specific one (below 2), the person is told and nothing
// opens.
void OpenWordEditor();
// Command 5062: the editor on the output file in the translation language, the current language listed
// beside it.
void OpenWordEditorForTranslation();
// Refreshes the open editor: rebuilds its list, its menus and lays out its buttons, each when asked.
void UpdateWordEditor(bool rebuildList, bool rebuildMenus, bool layOutButtons);
// Asks the open editor to save or drop its current word's changes; true when none is open or it did.
// The save question is asked once; without `ask` (nobody is there to answer) the word is saved, false
// when it could not be.
bool QueryCloseWordEditor(bool ask = true);

bool WordEditorEditing();
bool WordEditorTranslating();

// The frame calls this when it goes.
void ClearWordEditorFlags();

// The window the editor belongs to (the main window); tests make it none.
QWidget* WordEditorOwner();

// Puts the word editor into the model's hooks (core/WordEditorHooks.h) and takes it out again.
void WireWordEditorHooks();
void UnwireWordEditorHooks();

// Closes the editor without a question and clears both flags (tests, the state reset).
void ResetWordEditor();
