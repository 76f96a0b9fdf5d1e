#include "admin/TranslatedNamesImport.h"

#include "admin/ImportFramework.h"
#include "admin/TranslationText.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/Word.h"
#include "platform/archive/Cp1252.h"
#include "platform/files/FileSystem.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/OutputFile.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <type_traits>

namespace
{

constexpr int kProgressEnd = 1000;

// What differs between words and pages: the lookup, the type of the copy, the name field and the
// words of the log lines.
struct ItemKind {
    const char* noun; // "word" or "background"
    std::int32_t (*typeIn)(std::uint16_t language);
};

std::int32_t wordType(std::uint16_t language)
{
    return MakeWordType(static_cast<std::int16_t>(language));
}

std::int32_t pageType(std::uint16_t language)
{
    return MakeBgType(1, static_cast<std::int16_t>(language));
}

constexpr ItemKind kWords{"word", wordType};
constexpr ItemKind kPages{"background", pageType};

QString notFoundLine(const ItemKind& kind, const QString& name, std::int64_t id)
{
    return QStringLiteral("%1\tError\tCould't find %2 with id \"%3\"\r\n")
        .arg(ImportLogText(name), QLatin1String(kind.noun))
        .arg(id);
}

QString existsLine(const ItemKind& kind, const QString& name, std::int64_t id)
{
    return QStringLiteral("%1\tError\t%2 with id \"%3\" already exists in the output file\r\n")
        .arg(ImportLogText(name), QLatin1String(kind.noun))
        .arg(id);
}

QString storeFailedLine(const ItemKind& kind, const QString& name, std::int64_t id, int code)
{
    return QStringLiteral("%1\tError\tCould't store %2 with id \"%3\" (error %4)\r\n")
        .arg(ImportLogText(name), QLatin1String(kind.noun))
        .arg(id)
        .arg(code);
}

QString noTabLine(const QString& line)
{
    return QStringLiteral("%1\tError\tNo TAB between id and name\r\n").arg(ImportLogText(line));
}

// A file beyond the size a names file can have is not read; the log says so, as a person chose it.
QString tooLargeLine(const QString& path)
{
    return QStringLiteral("%1\tError\tThe file is larger than %2 MB and was not read\r\n")
        .arg(ImportLogText(path))
        .arg(kMaxTextFileBytes / (1024 * 1024));
}

// Gives the item the translated name and writes it where it is.
template <class Item> int rename(Item& item, const QString& name);

template <> int rename(CQuibWord& word, const QString& name)
{
    word.WordName = name;
    word.SetName(name);
    word.Commit();
    return word.Write();
}

template <> int rename(CQuibBg& page, const QString& name)
{
    page.Name = name;
    page.SetName(name);
    page.Commit();
    return page.Write();
}

// A copy of the item made in memory and stored as a record of its own, so the source record stays in
// its file whether or not anything else shares it.
template <class Item> std::unique_ptr<Item> copyOf(const Item& source)
{
    auto copy = std::make_unique<Item>();
    copy->Assign(&source);
    if constexpr (std::is_same_v<Item, CQuibBg>)
        copy->LayoutSize = source.LayoutSize;
    return copy;
}

// What one run carries from line to line.
struct Run {
    TranslatedItems items;
    bool overwrite;
    int imported = 0;
    QString lastName;
};

// Gives the translation the output file holds already the new name.
template <class Item> int renameStored(std::int32_t id, std::int32_t type, const QString& name)
{
    Item stored;
    int code = AttachResource(&stored, id, type, theOutputFile);
    if (code == RES_OK) {
        stored.Load();
        code = rename(stored, name);
        stored.Detach();
    }
    return code;
}

// Stores the name of one line; the log line, empty when the name was stored.
template <class Item>
QString storeName(const ItemKind& kind, std::unique_ptr<Item> found, std::int64_t id, Run& run)
{
    const QString& name = run.lastName;
    if (!found)
        return notFoundLine(kind, name, id);
    const std::int32_t type = kind.typeIn(theTranslateLanguage);
    const auto key = static_cast<std::int32_t>(id);
    int code = RES_OK;
    if (found->GetFile() == theOutputFile && found->GetType() == type) {
        // The lookup found the translation itself: it takes the new name.
        found->Load();
        code = rename(*found, name);
    } else if (ResourceExists(key, type, theOutputFile)) {
        // The translation is there but the lookup came to another item first: the overwrite check
        // says whether the translation takes the new name.
        if (!run.overwrite)
            return existsLine(kind, name, id);
        code = renameStored<Item>(key, type, name);
    } else {
        found->Load();
        std::unique_ptr<Item> copy = copyOf(*found);
        code = copy->SaveAs(key, theOutputFile, type);
        if (code == RES_OK)
            code = rename(*copy, name);
        copy->Detach();
    }
    found->Detach();
    if (code != RES_OK)
        return storeFailedLine(kind, name, id, code);
    ++run.imported;
    return {};
}

// One line of a file; the log line it gives, empty when none.
QString importLine(const QByteArray& line, Run& run)
{
    const QString text = fromWindows1252(line);
    // A line without a tab holds no name: storing it would blank the item's name.
    if (!line.contains('\t'))
        return noTabLine(text);
    const std::int64_t id = LeadingNumber(TabColumn(line, 0));
    run.lastName = fromWindows1252(TabColumn(line, 1));
    const ItemKind& kind = run.items == TranslatedItems::Words ? kWords : kPages;
    if (id <= 0 || id > std::numeric_limits<std::int32_t>::max())
        return notFoundLine(kind, run.lastName, id);
    if (run.items == TranslatedItems::Words)
        return storeName(kind, FindWordById(static_cast<std::int32_t>(id)), id, run);
    return storeName(kind, FindBackgroundById(static_cast<std::int32_t>(id), 1), id, run);
}

qint64 totalSize(const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& path : paths)
        total += static_cast<qint64>(lumivo::files::fileSystem().info(path).size);
    return total;
}

} // namespace

int ImportProgressPosition(qint64 done, qint64 total)
{
    if (total <= 0)
        return done > 0 ? kProgressEnd : 0;
    return static_cast<int>(std::clamp<qint64>(done * kProgressEnd / total, 0, kProgressEnd));
}

void ImportTextFiles(const QStringList& paths, TranslatedItems items, ImportTextSink& sink, bool overwrite)
{
    // Without an output file and a translation language there is nowhere to store a name.
    if (theOutputFile <= 0 || theTranslateLanguage == 0)
        return;
    const qint64 total = totalSize(paths);
    Run run{items, overwrite, 0, {}};
    qint64 read = 0;
    for (const QString& path : paths) {
        QByteArray file;
        const TextFileRead result = ReadTextFile(path, file);
        if (result == TextFileRead::TooLarge)
            sink.AppendLog(tooLargeLine(path));
        if (result != TextFileRead::Read)
            continue;
        ForEachTextFileLine(file, [&](const TextFileLine& line) {
            const QString log = importLine(line.text, run);
            if (!log.isEmpty())
                sink.AppendLog(log);
            sink.SetProgress(ImportProgressPosition(read + line.end, total));
            sink.SetStatus(
                QStringLiteral("%1 : Importing \"%2\"").arg(run.imported).arg(ImportLogText(run.lastName)));
        });
        read += file.size();
        sink.SetProgress(ImportProgressPosition(read, total));
    }
    sink.SetProgress(0);
}
