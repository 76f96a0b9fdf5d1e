#pragma once
// Program-wide settings, kept in the registry under one settings root, with a fallback to the root of
// the program's older name; the folders of the data (Data, Temp and Users below a base folder).
//
// Value types under the root: "int" values are 4-byte REG_BINARY, DWORD values REG_DWORD, strings
// REG_SZ. Every getter clears its result first, so a value missing under both roots reads as 0.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class CRegistry;

extern const QString kSettingsRoot;    // "HKEY_LOCAL_MACHINE\SOFTWARE\halvorix\Lumivo\2.0"
extern const QString kOldSettingsRoot; // "HKEY_LOCAL_MACHINE\SOFTWARE\halvorix\Morvelt\2.0"

extern QString theSettingsRoot;     // set at start-up to kSettingsRoot
extern QString theProgramDir;       // folder of the program file, with a trailing separator
extern QString theBaseDir;          // parent of Data, Temp and Users
extern QString theHelpFile;         // empty: no help
extern std::uint16_t theLanguageNo; // the system language
extern int theTranslateFlags;
extern std::uint16_t theScreenMode;
extern std::uint32_t theAutoFileSave; // seconds between automatic saves of the user file
extern std::array<std::uint32_t, 16> theUserColors;
extern std::uint16_t theEditOptions;
// Program-mode bits: edit mode, reduced edit mode, the developer bits (always off in a release), start-up
// complete, shutting down.
extern std::uint16_t theProgramMode;
constexpr std::uint16_t kProgramModeDeveloper1 = 0x1;
constexpr std::uint16_t kProgramModeReducedEdit = 0x2;
constexpr std::uint16_t kProgramModeDeveloper = 0x4; // event names in the status bar, pane sizes
constexpr std::uint16_t kProgramModeEdit = 0x8;
constexpr std::uint16_t kProgramModeStarted = 0x40;
constexpr std::uint16_t kProgramModeShuttingDown = 0x80;

// Settings access (false when the value exists under neither root, or when there is no registry).
bool GetSystemSettingString(const QString& name, QString& out);
bool GetSystemSettingInt(const QString& name, int* out);
bool GetSystemSettingDWord(const QString& name, std::uint32_t* out);
bool GetSystemSettingWord(const QString& name, std::uint16_t* out); // 4 bytes, low 16 bits kept
bool SetSystemSettingString(const QString& name, const QString& text);
bool SetSystemSettingInt(const QString& name, int value);
bool SetSystemSettingWord(const QString& name, std::uint16_t value); // written as 4 bytes
bool SetSystemSettingDWord(const QString& name, std::uint32_t value);
// The Set functions change the settings in memory and leave the writing to the event loop. A person's
// OK writes them at once, to know whether they are on disk: false when they could not be written (they
// stay changed, and the next write tries again).
bool FlushSystemSettings();
// The file that keeps the settings root, as a message names it.
QString SystemSettingsFile();

// Screen-mode bits and the element each one shows.
constexpr std::uint16_t SCREENMODE_MENUBAR = 0x1;
constexpr std::uint16_t SCREENMODE_STATUSBAR = 0x2;
constexpr std::uint16_t SCREENMODE_TOOLBARS = 0x4;
constexpr std::uint16_t SCREENMODE_FULLSCREEN = 0x8;
// 1 → true; 2 menu bar, 3 status bar, 4 toolbars, 5 full screen; any other n → false.
bool GetScreenModeFlag(int n);

// Copies the values of the older root to the settings root once, when the settings root holds none
// yet, and then deletes the older root. Uses `registry` (start-up runs it before theRegistry exists).
bool MigrateOldSettings(CRegistry& registry);

// The system language: "LanguageNo", else "Install_language", either as 10000 + number or the bare
// number.
std::uint16_t ReadSystemLanguage();

// Reads the start-up settings: folders, languages, translation flags, screen mode, save interval and
// the help file.
void LoadSystemSettings();

// The folder of the running program, with a trailing separator.
QString ProgramFolder();

// Folders below theBaseDir, created when missing. `sub` is appended unchanged ("/" alone, or
// "/name"); when the folder cannot be made the result is empty and `sub` is not appended.
// theBaseDir + name + sub, the folder created when missing; empty when it cannot be made.
QString BaseSubFolder(const QString& name, const QString& sub = {});
bool GetDataDir(QString& out, const QString& sub = {});
QString GetDataDirString(const QString& sub = {});
bool GetTempDir(QString& out, const QString& sub = {});
QString GetTempDirString(const QString& sub = {});
bool BuildUsersDir(QString& out, const QString& sub = {});
QString GetUsersDirString(const QString& sub = {});

// Every ordinary file in `folder`, and below it in sub-folders when `descend` is set; hidden files and
// folders are left out, and a folder reached a second time through a link is walked once.
void ListFolderTree(QStringList& out, const QString& folder, bool descend = true);

// Returns the settings globals to their start values (tests).
void ResetSystemSettings();
