#include "tools/defaultdata/DataSources.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace lumivo::defaultdata
{

namespace
{

// The lines of a UTF-8 text file with their numbers, comments and blank lines left out.
struct SourceLine {
    int number;
    QString text;
};

std::optional<std::vector<SourceLine>> readLines(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + QStringLiteral(": cannot be read");
        return std::nullopt;
    }
    std::vector<SourceLine> lines;
    int number = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        ++number;
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'#'))
            lines.push_back({number, line});
    }
    return lines;
}

QString where(const QString& path, int line)
{
    return path + QLatin1Char(':') + QString::number(line) + QStringLiteral(": ");
}

// "<n>" is stored among the system items; "=<n>", an id the program names, as it stands.
std::optional<std::int32_t> storedId(const QString& text)
{
    const bool asItStands = text.startsWith(u'=');
    bool ok = false;
    const int id = text.mid(asItStands ? 1 : 0).toInt(&ok);
    if (!ok || id <= 0 || id > (asItStands ? kSystemIdBase - 1 : 73'741'822))
        return std::nullopt;
    return asItStands ? id : kSystemIdBase + id;
}

// An id as the sources write it.
QString sourceIdText(std::int32_t stored)
{
    return stored >= kSystemIdBase ? QString::number(stored - kSystemIdBase)
                                   : QLatin1Char('=') + QString::number(stored);
}

std::optional<QString> emojiOf(const QString& codePoints)
{
    QString text;
    for (const QString& hex : codePoints.split(u' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint point = hex.toUInt(&ok, 16);
        if (!ok || point == 0 || point > 0x10FFFF)
            return std::nullopt;
        const char32_t character = point;
        text += QString::fromUcs4(&character, 1);
    }
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<std::vector<WordSource>> readWords(const QString& path, QString& error)
{
    const auto lines = readLines(path, error);
    if (!lines)
        return std::nullopt;
    std::vector<WordSource> words;
    std::set<std::int32_t> ids;
    for (const auto& [number, text] : *lines) {
        const QStringList fields = text.split(u'\t');
        const auto id = fields.size() == 5 ? storedId(fields[0]) : std::nullopt;
        const auto emoji = fields.size() == 5 ? emojiOf(fields[3]) : std::nullopt;
        if (!id || !emoji || fields[1].isEmpty() || fields[2].isEmpty() ||
            (fields[4] != QLatin1String("yes") && fields[4] != QLatin1String("no"))) {
            error = where(path, number) + QStringLiteral("expected id, Danish, English, emoji, yes/no");
            return std::nullopt;
        }
        if (!ids.insert(*id).second) {
            error = where(path, number) + QStringLiteral("the id is used twice");
            return std::nullopt;
        }
        words.push_back({*id, fields[1], fields[2], *emoji, fields[4] == QLatin1String("yes")});
    }
    return words;
}

PageRole roleNamed(const QString& word)
{
    if (word == QLatin1String("navigator"))
        return PageRole::Navigator;
    return word == QLatin1String("word") ? PageRole::Word : PageRole::Main;
}

// "page <id> <colour> <columns>x<rows> [navigator|word] <Danish> | <English>"
std::optional<PageSource> pageHead(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^page\s+(=?\d+)\s+(#[0-9A-Fa-f]{6})\s+(\d+)x(\d+)(?:\s+(navigator|word))?\s+(.+?)\s*\|\s*(.+?)\s*$)"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const auto id = storedId(match.captured(1));
    PageSource page{id.value_or(0),
                    QColor(match.captured(2)),
                    match.captured(3).toInt(),
                    match.captured(4).toInt(),
                    roleNamed(match.captured(5)),
                    match.captured(6),
                    match.captured(7),
                    {}};
    if (!id || page.columns < 1 || page.rows < 1)
        return std::nullopt;
    return page;
}

std::optional<CellSource> cell(const QString& text)
{
    const QStringList fields = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (fields.value(0) == QLatin1String("empty"))
        return CellSource{};
    if (fields.value(0) == QLatin1String("word")) {
        if (const auto word = storedId(fields.value(1)))
            return CellSource{CellKind::Word, *word, 0};
    }
    if (fields.value(0) == QLatin1String("link")) {
        const auto page = storedId(fields.value(1));
        const auto word = storedId(fields.value(2));
        if (page && word)
            return CellSource{CellKind::Link, *word, *page};
    }
    return std::nullopt;
}

std::optional<std::vector<PageSource>> readPages(const QString& path, QString& error)
{
    const auto lines = readLines(path, error);
    if (!lines)
        return std::nullopt;
    std::vector<PageSource> pages;
    for (const auto& [number, text] : *lines) {
        const bool isHead = text.trimmed().startsWith(QLatin1String("page"));
        if (isHead) {
            auto page = pageHead(text);
            if (!page) {
                error = where(path, number) +
                        QStringLiteral("expected page <id> <#rrggbb> <c>x<r> [navigator|word] <da> | <en>");
                return std::nullopt;
            }
            pages.push_back(std::move(*page));
            continue;
        }
        const auto parsed = cell(text);
        if (!parsed || pages.empty()) {
            error = where(path, number) + QStringLiteral("expected a page, word, link or empty line");
            return std::nullopt;
        }
        pages.back().cells.push_back(*parsed);
    }
    return pages;
}

// Every cell's word and page exists, every page holds its cells and ids are not used twice.
bool checkReferences(const DataSources& sources, QString& error)
{
    std::set<std::int32_t> pageIds;
    std::set<PageRole> paneRoles;
    for (const PageSource& page : sources.pages) {
        const QString name = QStringLiteral("page ") + sourceIdText(page.id);
        if (!pageIds.insert(page.id).second) {
            error = name + QStringLiteral(" is described twice");
            return false;
        }
        if (page.role != PageRole::Main && !paneRoles.insert(page.role).second) {
            error = name + QStringLiteral(" is a second page for its pane");
            return false;
        }
        if (static_cast<int>(page.cells.size()) > page.columns * page.rows) {
            error = name + QStringLiteral(" has more cells than its grid holds");
            return false;
        }
        for (const CellSource& each : page.cells) {
            if (each.kind == CellKind::Empty)
                continue;
            if (!sources.findWord(each.wordId) ||
                (each.kind == CellKind::Link && !sources.findPage(each.linkId))) {
                error = name + QStringLiteral(" names a word or a page that is not described");
                return false;
            }
        }
    }
    if (sources.pages.empty() || sources.pages.front().role != PageRole::Main) {
        error = QStringLiteral("the first page, the start page, must be a page of the main pane");
        return false;
    }
    return true;
}

} // namespace

const WordSource* DataSources::findWord(std::int32_t id) const
{
    for (const WordSource& word : words) {
        if (word.id == id)
            return &word;
    }
    return nullptr;
}

const PageSource* DataSources::findPage(std::int32_t id) const
{
    for (const PageSource& page : pages) {
        if (page.id == id)
            return &page;
    }
    return nullptr;
}

const PageSource* DataSources::pageFor(PageRole role) const
{
    if (role == PageRole::Main)
        return pages.empty() ? nullptr : &pages.front();
    for (const PageSource& page : pages) {
        if (page.role == role)
            return &page;
    }
    return nullptr;
}

std::optional<DataSources> readDataSources(const QString& folder, QString& error)
{
    auto words = readWords(folder + QStringLiteral("/words.tsv"), error);
    if (!words)
        return std::nullopt;
    auto pages = readPages(folder + QStringLiteral("/pages.txt"), error);
    if (!pages)
        return std::nullopt;
    DataSources sources{std::move(*words), std::move(*pages)};
    if (!checkReferences(sources, error))
        return std::nullopt;
    return sources;
}

} // namespace lumivo::defaultdata
