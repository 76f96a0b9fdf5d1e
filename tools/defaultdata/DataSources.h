#pragma once
// The readable sources of the default data set (data/words.tsv and data/pages.txt), read into plain
// values. Every fault names its file and line, so a slip in a table stops the build with a reason.

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumivo::defaultdata
{

// Ids in the sources are small; stored, they lie among the system items, where no user item can meet
// them. An id written with a leading "=" is one the program itself names by number, and is stored as
// it stands.
constexpr std::int32_t kSystemIdBase = 1'000'000'000;

struct WordSource {
    std::int32_t id = 0; // stored id
    QString danish;
    QString english;
    QString emoji; // the characters of the picture
    bool recorded = false;
};

enum class CellKind { Word, Link, Empty };

// The pane a page is made for. A main page has a picture at every frame size; a navigator or word page
// is laid out on its pane without a picture (those panes show a page at their own size) and is the
// template user's start page of that pane.
enum class PageRole { Main, Navigator, Word };

struct CellSource {
    CellKind kind = CellKind::Empty;
    std::int32_t wordId = 0; // stored id
    std::int32_t linkId = 0; // stored id of the page a link opens
};

struct PageSource {
    std::int32_t id = 0; // stored id
    QColor colour;
    int columns = 0;
    int rows = 0;
    PageRole role = PageRole::Main;
    QString danish;
    QString english;
    std::vector<CellSource> cells;
};

struct DataSources {
    std::vector<WordSource> words;
    std::vector<PageSource> pages; // the first is the start page
    const WordSource* findWord(std::int32_t id) const;
    const PageSource* findPage(std::int32_t id) const;
    // The page made for that pane, or none (for PageRole::Main, the start page).
    const PageSource* pageFor(PageRole role) const;
};

// Reads both files of `folder`; on a fault, none, with the reason in `error`. Every word and page a cell
// names must exist, every page must hold its cells, the start page is a main page and no other pane has
// two pages.
std::optional<DataSources> readDataSources(const QString& folder, QString& error);

} // namespace lumivo::defaultdata
