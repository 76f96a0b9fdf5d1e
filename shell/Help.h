#pragma once
// The program's help: HTML pages beside the program (the file theHelpFile names, "Help.html", is the
// contents), opened in the desktop's viewer. The index and the search have pages of their own beside
// it; a context request opens the contents at the context's anchor.

#include <QString>
#include <QUrl>

// What is asked of the help, by the numbers the help commands know them by.
constexpr int HH_DISPLAY_TOPIC = 0x0;
constexpr int HH_DISPLAY_TOC = 0x1;
constexpr int HH_DISPLAY_INDEX = 0x2;
constexpr int HH_DISPLAY_SEARCH = 0x3;
constexpr int HH_HELP_CONTEXT = 0xF;
// The window-help command that carries a context number.
constexpr unsigned HELP_CONTEXT = 0x1;

// Opens the help's `command` page for `data` (the context number of HH_HELP_CONTEXT) through
// theOpenHelpPageHook (shell/Commands.h), and tells the person when nothing could open it; false when
// there is no help file.
bool HtmlHelp(int command, unsigned data = 0);

namespace lumivo
{

constexpr char kHelpIndexPage[] = "Index.html";
constexpr char kHelpSearchPage[] = "Search.html";

// The page of the help file `helpFile` for the command: the contents for HH_DISPLAY_TOC and
// HH_DISPLAY_TOPIC, the index or search page beside it, the contents at anchor "context-<data>" for
// HH_HELP_CONTEXT with a context (the contents' top without one). Empty for an empty help file.
QUrl helpPageUrl(const QString& helpFile, int command, unsigned data);

} // namespace lumivo
