#pragma once
// The program's built-in string tables, one per language. They are the last place a system string is
// looked up, after the language records of the open data files. Each table is a plain list of
// {id, text} rows in its own source file, so a translator can read and extend it directly.

#include <QString>

#include <span>
#include <vector>

namespace lumivo::strings
{

struct StringTableRow {
    int id;
    const char* text; // UTF-8
};

enum class TableLanguage { Danish, English };

std::span<const StringTableRow> englishStringRows();
std::span<const StringTableRow> danishStringRows();

// The text of `id` in the table of `language`; empty when the table has no such row.
QString builtInString(int id, TableLanguage language);
bool hasBuiltInString(int id, TableLanguage language);

// Every id of the table of `language`, ascending.
std::vector<int> builtInStringIds(TableLanguage language);

} // namespace lumivo::strings
