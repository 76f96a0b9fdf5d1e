#pragma once
// The helpers of the utility module that reach a person: questions and notices, the folder
// chooser, and the program's own sounds with the notice when they cannot play. The rest of the
// module is store/Utility.h.

#include <QString>

class QWidget;

// ---- Questions and notices

// Asks a Yes/No question (No is the default) and, on Yes, "Are you sure ?"; true only when both are
// answered Yes.
bool ConfirmTwice(const QString& text, const QString& caption, QWidget* owner = nullptr);
// A plain notice with an OK button; returns the answer.
int ShowMessage(const QString& text, const QString& caption, QWidget* owner = nullptr);
// A notice with the exclamation icon.
int ShowWarning(const QString& text, const QString& caption);
// The system's text for an error number (errno) in a notice captioned "Error".
int ShowSystemError(int errorCode, QWidget* owner = nullptr);

// ---- Folder chooser

// Shows the folder chooser; true and the chosen folder, or false and an empty path.
bool BrowseForFolder(QString& path, QWidget* owner, const QString& title, const QString& rootPath = {},
                     const QString& initialFolder = {});

// ---- Sounds

// Plays a sound file and returns when it has finished (at most a minute); false when it cannot play.
bool PlaySoundByName(const QString& path);
// Starts one of the program's own sounds (the resource ":/wave/<name>", with or without ".wav") and
// returns at once. When it cannot play, "Can't play sound." is shown, once per run.
bool PlayWaveResource(const QString& name);
bool PlayWaveResource(int number);
// Lets the next failure show its notice again (for tests).
void ResetSoundWarning();
