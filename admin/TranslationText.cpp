#include "admin/TranslationText.h"

#include "platform/archive/Cp1252.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <limits>

namespace
{

constexpr int kLastStringId = 0xFFFF;

} // namespace

TextFileRead ReadTextFile(const QString& path, QByteArray& bytes)
{
    const auto file = lumivo::files::fileSystem().open(path, lumivo::files::OpenMode::Read);
    const std::int64_t length = file ? file->length() : lumivo::files::File::kIoError;
    if (length < 0)
        return TextFileRead::Unreadable;
    if (length > kMaxTextFileBytes)
        return TextFileRead::TooLarge;
    bytes.resize(static_cast<qsizetype>(length));
    if (length > 0 && !file->readExactly(bytes.data(), static_cast<std::size_t>(length))) {
        bytes.clear();
        return TextFileRead::Unreadable;
    }
    return TextFileRead::Read;
}

void ForEachTextFileLine(const QByteArray& bytes, const std::function<void(const TextFileLine&)>& take)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype feed = bytes.indexOf('\n', start);
        const qsizetype end = feed < 0 ? bytes.size() : feed + 1;
        QByteArray text = bytes.mid(start, (feed < 0 ? bytes.size() : feed) - start);
        text.replace("\r", "");
        if (!text.isEmpty())
            take({std::move(text), end});
        start = end;
    }
}

std::vector<TextFileLine> SplitTextFileLines(const QByteArray& bytes)
{
    std::vector<TextFileLine> lines;
    ForEachTextFileLine(bytes, [&lines](const TextFileLine& line) { lines.push_back(line); });
    return lines;
}

QByteArray TabColumn(const QByteArray& line, int index, bool toEnd)
{
    qsizetype start = 0;
    for (int column = 0; column < index; ++column) {
        const qsizetype tab = line.indexOf('\t', start);
        if (tab < 0)
            return {};
        start = tab + 1;
    }
    const qsizetype tab = toEnd ? -1 : line.indexOf('\t', start);
    return line.mid(start, tab < 0 ? -1 : tab - start);
}

std::int64_t LeadingNumber(const QByteArray& text)
{
    qsizetype at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<int>::max()) + 1;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(limit, value * 10 + (text[at] - '0'));
    return negative ? -value : value;
}

QString StripFallbackBrackets(QString text)
{
    if (text.contains(QLatin1Char('['))) {
        qsizetype blanks = 0;
        while (blanks < text.size() && text[blanks] == QLatin1Char(' '))
            ++blanks;
        text.remove(0, blanks);
        if (text.startsWith(QLatin1Char('[')))
            text.remove(0, 1);
    }
    if (text.contains(QLatin1Char(']'))) {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        if (text.endsWith(QLatin1Char(']')))
            text.chop(1);
    }
    return text;
}

QByteArray FormatSystemStringsExport(const std::vector<SystemStringRow>& rows)
{
    QByteArray bytes;
    for (const SystemStringRow& row : rows) {
        if (row.id == 0)
            continue;
        bytes += QByteArray::number(row.id) + '\t' + toWindows1252(StripFallbackBrackets(row.source)) + '\t' +
                 toWindows1252(row.translation) + "\r\n";
    }
    return bytes;
}

SystemStringsImport ParseSystemStringsImport(const QByteArray& bytes)
{
    SystemStringsImport result;
    std::vector<int> rowOfId(kLastStringId + 1, -1);
    ForEachTextFileLine(bytes, [&](const TextFileLine& line) {
        const std::int64_t id = LeadingNumber(TabColumn(line.text, 0));
        if (id < 1 || id > kLastStringId) {
            result.skippedIds.push_back(id);
            return;
        }
        // The translation runs to the end of the line, so a tab inside it comes back as it went out.
        QString translation = StripFallbackBrackets(fromWindows1252(TabColumn(line.text, 2, true)));
        int& row = rowOfId[static_cast<std::size_t>(id)];
        if (row >= 0) {
            result.rows[static_cast<std::size_t>(row)].translation = std::move(translation);
            return;
        }
        row = static_cast<int>(result.rows.size());
        result.rows.push_back({static_cast<int>(id), QString(), std::move(translation)});
    });
    return result;
}
