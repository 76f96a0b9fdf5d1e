#pragma once
// Opening and closing the page editor, and what the rest of the program asks of it. At most one editor
// exists (theBgEditorFrame); opening it again only brings it to the front.
//
// Two flags say how it was opened: for editing (the user's own file) and for translating (the output
// file). Each open sets its flag, also when the editor already exists, so both can be set; only the
// editor's going clears them.

class CQuibBg;
class QWidget;

// Command 5117: the editor on the current user's file in the user's primary language. Without a user,
// or with a primary language that is not a specific one (below 2), the person is told and nothing
// opens.
void OpenBackgroundEditor();
// Command 5064: the editor on the output file in the translation language, the current language listed
// beside it.
void OpenBackgroundEditorForTranslation();
// As OpenBackgroundEditor, then makes `page` current (the Enter key on a pane with an editing tool).
void EditBackground(CQuibBg* page);
// Asks the open editor to save or drop its changes; true when none is open or it did. Without `ask`
// (nobody is there to answer) the changes are saved; false when they could not be.
bool QueryCloseBackgroundEditor(bool ask = true);

bool BackgroundEditorIsOpen();
bool BackgroundEditorEditing();
bool BackgroundEditorTranslating();
// Whether the open editor has `page` as its current page (a pane then leaves the page's changes to it).
bool BgEditorEditsPage(const CQuibBg* page);

// The frame calls this when it goes.
void ClearBackgroundEditorFlags();

// The window the editor belongs to (the main window); tests make it none.
QWidget* BackgroundEditorOwner();

// Closes the editor without a question and clears both flags (tests, the state reset).
void ResetBackgroundEditor();
