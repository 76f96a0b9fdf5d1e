#include "resources/strings/StringTable.h"

#include <QHash>

#include <algorithm>

namespace lumivo::strings
{

namespace
{

QHash<int, QString> indexRows(std::span<const StringTableRow> rows)
{
    QHash<int, QString> index;
    index.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& row : rows)
        index.insert(row.id, QString::fromUtf8(row.text));
    return index;
}

const QHash<int, QString>& tableFor(TableLanguage language)
{
    static const QHash<int, QString> english = indexRows(englishStringRows());
    static const QHash<int, QString> danish = indexRows(danishStringRows());
    return language == TableLanguage::Danish ? danish : english;
}

} // namespace

QString builtInString(int id, TableLanguage language)
{
    return tableFor(language).value(id);
}

bool hasBuiltInString(int id, TableLanguage language)
{
    return tableFor(language).contains(id);
}

std::vector<int> builtInStringIds(TableLanguage language)
{
    const auto& table = tableFor(language);
    std::vector<int> ids(table.keyBegin(), table.keyEnd());
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace lumivo::strings
