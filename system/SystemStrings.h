#pragma once
// System strings: every text the program shows is looked up by id, first in the language records of
// the open data files (in the order of the search languages), then in the program's own string table.
// Also the message boxes that show a system string by id, the status-bar text, the trace log and the
// application cursor.

#include "platform/types/Hook.h"
#include "platform/types/MessageBoxCodes.h"

#include <QCursor>
#include <QString>

#include <cstdint>
#include <optional>

// Lookup flags (they combine; applied in this order).
constexpr int SYSSTR_UPPER = 2; // low four bits: whole text upper case
constexpr int SYSSTR_LOWER = 3; // low four bits: whole text lower case
constexpr int SYSSTR_CASE_MASK = 0x0F;
constexpr int SYSSTR_FIRST_UPPER = 0x10;  // first character upper case
constexpr int SYSSTR_BLANK_BEFORE = 0x20; // a blank in front unless the text starts with one
constexpr int SYSSTR_BLANK_AFTER = 0x40;  // a blank behind unless the text ends with one
constexpr int SYSSTR_COLON = 0x80;        // ":" appended
constexpr int SYSSTR_CUT_TAGS = 0x100;    // cut before the first tagged entry
constexpr int SYSSTR_TAG_KEY = 0x200;     // the key of tagged entry 0
constexpr int SYSSTR_TAG_VALUE = 0x400;   // the value of tagged entry 0

// The id of the application name, which comes from the install settings.
constexpr int SYSSTR_APPNAME = 1001;
// Status-bar prompts of the commands: string id = command id.
constexpr int SYSSTR_FIRST_PROMPT = 5001;
constexpr int SYSSTR_LAST_PROMPT = 5999;
// The text asking to report a severe error.
constexpr int SYSSTR_SEVERE_ERROR = 9415;

// The text of `id` with `flags` applied; true when found. When nothing holds the id, the text is "???"
// and the result false.
bool GetSystemString(int id, QString& text, int flags = 0);
// The text of `id` without flags ("???" when unknown).
QString GetSystemString(int id);
// The text of `id` with `flags` applied ("???" when unknown).
QString LoadSystemString(int id, int flags = 0);

// The status-bar prompt of a command; false for ids outside 5001 to 5999 and for unknown ids.
bool GetCommandPrompt(int id, QString& text);

// Shows system string `id` in a message box with the MB_ flags and returns the button chosen (the codes of
// platform/types/MessageBoxCodes.h, which come with this header for every layer that asks). With a
// parameter, every "[#1]" of the text is replaced by it. A null QString (the default) is no parameter;
// an empty one replaces "[#1]" by nothing.
int MessageBoxById(int id, unsigned flags, const QString& param = {});
int MessageBoxById(int id, unsigned flags, const QString* param);
// The same with two parameters, for "[#1]" and "[#2]" (a file and its backup, a file and why).
int MessageBoxById(int id, unsigned flags, const QString& first, const QString& second);

// Message boxes with the application name as caption.
int ShowMessage(const QString& text, unsigned flags = 0);
int ShowMessageText(const QString& text, unsigned flags = 0);
int ShowMessageNumber(const QString& text, int number, unsigned flags = 0);
// Asks the person to report a severe error; `place` says where it happened.
void ShowSevereError(const QString& place);

// Status-bar text. SetStatusText announces it through theStatusText (system/StatusText.h), which the
// shell connects to the status bar (without it the text is shown nowhere); the idle tick clears it
// again after 5,000 ms (see theStatusTime).
extern std::uint32_t theStatusTime; // tick of the last status text, 0 when none is pending
void SetStatusText(const QString& text);
// The last text given to SetStatusText (for the idle tick and for tests).
QString LastStatusText();

// The trace log: one file a day, "TavimoLog_<ddmmyy>.txt" in the system's temporary folder, the day
// being the one tracing was switched on. Written only while tracing is on (the "TRACE" command-line
// switch); the folder is never created.
void SetTraceLogEnabled(bool enabled);
bool IsTraceLogEnabled();
QString TraceLogPath();
void WriteDebugLog(QString line);
// A failure nobody can be told of in a window (the program ends on a logout or a shutdown): to the trace
// and to standard error, which the session's log keeps whether tracing is on or not.
void WriteDebugLogAndStderr(const QString& line);
// Appends the text to the file, creating the file but not its folder; silent on failure.
void AppendTextToFile(const QString& path, const QString& text);

// The application cursor by resource id: 244 and 245 are the ordinary cursors, 30982 and 30983 the
// busy pair that alternates every 400 ms while SetAppCursor(0) is called. Returns the previous id.
constexpr int CURSOR_ARROW = 244;
constexpr int CURSOR_HAND = 245;
constexpr int CURSOR_BUSY_1 = 30982;
constexpr int CURSOR_BUSY_2 = 30983;
// The editing tools' cursors: drawn for the icon wizard's and the select tool, the system's for the
// drawing tools and the handles.
constexpr int CURSOR_WIZARD = 30979;
constexpr int CURSOR_SELECT = 30980;
constexpr int CURSOR_CROSS = 32515;
constexpr int CURSOR_SIZE_NWSE = 32642;
constexpr int CURSOR_SIZE_NESW = 32643;
constexpr int CURSOR_SIZE_WE = 32644;
constexpr int CURSOR_SIZE_NS = 32645;
constexpr int CURSOR_SIZE_ALL = 32646;
int SetAppCursor(int id);
int GetAppCursor();
// The cursor of a resource id: one drawn for this program or a system shape; none for an id that
// names no cursor.
std::optional<QCursor> LoadCursorResource(int id);

// Where the cursor is shown, and which cursor the system shows now (0 when unknown). The defaults set
// and read the application's override cursor when a GUI application runs.
extern lumivo::Hook<void(int id)> theCursorShowHook;
extern lumivo::Hook<int()> theCursorReportedHook;

// Returns the module to its start state, its hooks at their defaults (tests).
void ResetSystemStrings();
