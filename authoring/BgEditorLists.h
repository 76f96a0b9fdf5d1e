#pragma once
// The page editor's text files: the list of page names it imports, the words of a page it exports and
// the report of the pages its tree lists. All are 8-bit Windows-1252 text; what the editor writes ends
// its lines with CR LF, and the literals (the Danish report header too) do not follow the program's
// language, so that two reports compare byte for byte apart from the time.

#include "platform/types/Time.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class CQuibBg;

// At most this many pages are made by one import.
constexpr int kMaxImportedPages = 1000;

// The page names of an import file: lines end at a line feed (the last line also without one), carriage
// returns are dropped, empty lines skipped; a name is the line's first tab-separated field. At most
// `limit` names.
std::vector<QString> PageNamesOfImport(const QByteArray& bytes, int limit = kMaxImportedPages);

// What can stop an import of page names.
enum class PageImportError { None, NoFreeId, StoreFailed };
// The system string that tells a person of the error (none for None).
int messageIdOf(PageImportError error);

// Stores one new page per name in `file` under the page type of `language`, each with a new id of a
// user-made item and the name also as its record's name; the pages are not filed in the page index (the
// next reload lists them). Stops at the first page that gets no id or cannot be stored, keeping those
// made before; `made` receives their count.
PageImportError StorePageNames(const std::vector<QString>& names, int file, int language,
                               int* made = nullptr);

// The export of a page's words: "No background selected" without a page; otherwise a header naming the
// page and one line "name<TAB>id" per icon whose word is found, in icon order (a word once per icon).
QByteArray PageWordsText(CQuibBg* page);

// One letter of the report with its pages (id and name as the page holds it), in the tree's order.
struct ListedPage {
    std::int32_t id = 0;
    QString name;
};
struct ListedLetter {
    QString letter;
    std::vector<ListedPage> pages;
};
// The report: the header with the time, a rule, then per letter its line and one line per page.
QByteArray PageListText(const CTime& when, const std::vector<ListedLetter>& letters);
// The file name the report's save dialog proposes.
QString PageListFileName(const CTime& when);
