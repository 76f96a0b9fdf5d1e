#pragma once
// Which user is current, and where users live on disk. Start-up finds, repairs or makes the standard
// user's file and makes its user current; switching users saves the old user's file and closes the
// files nobody needs any more; the "new user" and "save as profile" commands make new user and profile
// files. Everything goes through the resource store and the data-file services, whose saves never
// leave a half-written file.
//
// The users folder holds the standard user file (SUF.tvf) and the template it is made from (TUF.tvf).
// The settings "Userfile", "Usernumber" and "Launch_user_at_start" say which file and which user
// record start-up takes.

#include "platform/types/Hook.h"

#include <QString>

#include <cstdint>
#include <memory>

class CQuibUser;

constexpr const char* kUserFileExtension = "tvf";
constexpr const char* kStandardUserFileName = "SUF.tvf";
constexpr const char* kTemplateUserFileName = "TUF.tvf";
// The header user value of the file whose user is current.
constexpr std::uint32_t kCurrentUserFileMark = 0x777;
// The reload steps that bring a new current user's settings into effect.
constexpr std::uint32_t kUserReloadSteps = 0xF000;
// The standard user's number is drawn at or above this.
constexpr std::int32_t kFirstStandardUserNumber = 32767;

// Makes a user current at start-up: the stored user when asked for, else the standard user (found,
// taken from the template, or made), else a user held in memory only. Afterwards a user is current.
// A user file is never replaced unless it was read and found damaged (it is then kept beside it), and a
// file the program may not write is read as it is. What the person must hear of it (a file kept aside,
// a user whose changes will not be kept) waits for TellUserFileNotes.
void UseDefaultUser();
// Tells the person, once, what start-up found about the user file. Start-up calls it over the main
// window, not under the splash.
void TellUserFileNotes();
// The same, but only a user that is stored in its file on the disk is made current. False, with no user
// made current and no file of the attempt left open, when none could be had (a full disk): the caller
// keeps what it had.
bool UseStoredDefaultUser();

// Saves the current user and its file and lets go of the files no longer needed, then makes `user`
// current (none for null) and loads its profile. The old user is deleted when the user-file code owns
// it. When the old user's file cannot be saved and `user` is another user, the old user stays current
// with its changes, the person is told, and `user` is let go with its file (false). Leaving for none
// tells the person and goes on, the file left open with its changes; a user the person was told will
// not be kept, and the program's end, only trace it.
bool SetCurrentUser(std::unique_ptr<CQuibUser> user);
// The same for the user that is current already: saved, kept as the same object and applied again.
void ReapplyCurrentUser();

// Writes the current user when it changed and saves its file when it is dirty. Gives the store's error
// (RES_OK when there was nothing to save; RES_ERR_NO_STREAM for a user held in memory, which is never
// saved); a file that could not be saved stays dirty for the next try.
int SaveCurrentUser();
// The save command: SaveCurrentUser, telling the person, with the file's name and why, when it failed.
void SaveCurrentUserAndReport();
// Whether the current user's changes can reach its file: false for a user held in memory and for one
// read from a file the program may not write (the person was told so when it became current).
bool CurrentUserCanBeSaved();
// The exit's step for the user, before anything closes: saves what leaving the user would save. False,
// after telling the person why and naming the file, when that failed: the program then stays open
// with its work. A user the person was told will not be kept holds nobody back.
bool SaveCurrentUserBeforeExit();

// "New user": a new user in a user file chosen or named in a dialog, made current once its properties
// are accepted and it is stored in its file (when it cannot be, the person is told why and nothing
// changes).
void SaveUserAs();
// Copies the current user's file to a profile file chosen in a dialog; the copy's user takes the file's
// base name.
void ArchiveUserAsProfile();
// The same as a standard profile: the copy's user keeps its name and moves to the template user id.
void ArchiveUserAsStandardProfile();

// The profile user `number` named `name` (without regard to case) from the user files of the users
// folder; null when none holds it. The profile's file stays open.
std::unique_ptr<CQuibUser> ListProfiles(const QString& name, std::int32_t number);

// The user properties dialog for a freshly made user; true when the person accepted. The user dialogs
// install it; by default the user is refused.
extern lumivo::Hook<bool(CQuibUser& user)> theUserPropertiesEditorHook;
// Writes a page package of every record of an open resource file: with `ask` through a file dialog,
// otherwise to `name` or, when that is empty, beside the file with the extension ".lu2". The package
// code installs it; by default nothing is written.
extern lumivo::Hook<void(int file, bool ask, const QString& name)> theDataFilePackageExporterHook;
// The calls by their own names, through the hooks above.
bool EditUserProperties(CQuibUser& user);
void ExportDataFilePackage(int file, bool ask, const QString& name = {});

// Deletes the current user when the session owns it, forgets what was to be told, and puts the
// session's hooks back.
void ResetCurrentUser();
