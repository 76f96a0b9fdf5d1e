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
// them.
constexpr std::int32_t kSystemIdBase = 1'000'000'000;

struct WordSource {
    std::int32_t id = 0; // stored id
    QString danish;
    QString english;
    QString emoji; // the characters of the picture
    bool recorded = false;
};

enum class CellKind { Word, Link, Empty };

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
    QString danish;
    QString english;
    std::vector<CellSource> cells;
};

struct DataSources {
    std::vector<WordSource> words;
    std::vector<PageSource> pages; // the first is the start page
    const WordSource* findWord(std::int32_t id) const;
    const PageSource* findPage(std::int32_t id) const;
};

// Reads both files of `folder`; on a fault, none, with the reason in `error`. Every word and page a cell
// names must exist and every page must hold its cells.
std::optional<DataSources> readDataSources(const QString& folder, QString& error);

} // namespace lumivo::defaultdata
