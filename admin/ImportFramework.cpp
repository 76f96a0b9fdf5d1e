#include "admin/ImportFramework.h"

#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "platform/archive/Cp1252.h"
#include "platform/files/FileSystem.h"
#include "store/Registry.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace
{

const QChar kSmallOSlash(0xF8);
const QChar kCapitalOSlash(0xD8);

// A word is a key form when bits 8 to 11 of its form field hold 1.
bool isKeyForm(std::int16_t form)
{
    return ((std::uint16_t(form) >> 8) & 0xF) == 1;
}

// Characters that would break a log line or its columns: the control characters and the line and
// paragraph separators.
bool breaksLogLine(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

bool hasLineBreakers(const QString& text)
{
    return std::any_of(text.begin(), text.end(), breaksLogLine);
}

QString escaped(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
        return QStringLiteral("\\t");
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    const bool oneByte = c.unicode() <= 0xFF;
    const QString hex = QString::number(c.unicode(), 16).toUpper().rightJustified(oneByte ? 2 : 4, u'0');
    return (oneByte ? QStringLiteral("\\x") : QStringLiteral("\\u")) + hex;
}

// The text without the spaces around it; control characters stay, unlike QString::trimmed.
QString withoutOuterSpaces(const QString& text)
{
    const auto isOuterSpace = [](QChar c) { return c.isSpace() && !breaksLogLine(c); };
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isOuterSpace(text[first]))
        ++first;
    while (end > first && isOuterSpace(text[end - 1]))
        --end;
    return text.mid(first, end - first);
}

std::vector<std::int32_t> distinctIdsNamed(const QString& title)
{
    std::vector<std::int32_t> ids;
    const CSortedStringArray& names = theWordIndex.Names();
    for (int hit = names.Find(title, 0); hit >= 0; hit = names.Find(title, hit + 1)) {
        auto* word = static_cast<CMyRes*>(names.GetItemData(hit));
        const std::int32_t id = word ? word->GetID() : 0;
        if (id != 0 && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

std::int32_t onlyKeyForm(const std::vector<std::int32_t>& ids)
{
    int keyForms = 0;
    std::int32_t found = 0;
    for (std::int32_t id : ids) {
        std::unique_ptr<CQuibWord> word = FindWordById(id);
        if (word && word->Load() == RES_OK && isKeyForm(word->WordForm)) {
            ++keyForms;
            found = id;
        }
    }
    return keyForms == 1 ? found : 0;
}

struct ItemWords {
    const char* inLines;  // "Picture already exists."
    const char* inHeader; // "Import pictures to file"
};

ItemWords wordsOf(ImportItem item)
{
    switch (item) {
    case ImportItem::Clip:
        return {"Avi", "avis"};
    case ImportItem::Picture:
        return {"Picture", "pictures"};
    case ImportItem::Sound:
        return {"Sound", "sounds"};
    case ImportItem::Word:
        return {"Word", "words"};
    case ImportItem::Page:
        return {"Background", "backgrounds"};
    }
    return {"", ""};
}

QString itemWord(ImportItem item)
{
    return QLatin1String(wordsOf(item).inLines);
}

// The log text of a store step's result, before the key-form note and the line end.
QString resultText(ImportItem item, const QString& title, std::int32_t wordId, int result)
{
    const QString tab = QStringLiteral("\t");
    if (result == 0)
        return title + QStringLiteral("\tOK\tImportet ID: ") + QString::number(wordId);
    const QString error = title + tab + QStringLiteral("Error") + tab;
    if (result < 0)
        return error + QStringLiteral("Res error (%1)").arg(-qint64(result));
    if (result == kImportUnreadablePicture && item == ImportItem::Picture)
        return error + QStringLiteral("Could not load picture (1)");
    if (result == kImportExists)
        return error + itemWord(item) + QStringLiteral(" already exists.");
    if (result == kImportExistsElsewhere)
        return error + itemWord(item) + QStringLiteral(" already exists in another active file.");
    if (result == kImportFileTooLarge)
        return error + QStringLiteral("The file is larger than %1 MB and was not read")
                           .arg(lumivo::files::kMaxMediaFileBytes >> 20);
    if (result == kImportDamagedSound)
        return error + QStringLiteral("The file is damaged: its sound ends before its header says");
    if (item == ImportItem::Picture)
        return error + QStringLiteral("Unknown error");
    return error + QStringLiteral("Unknown error ID=%1").arg(result);
}

} // namespace

QString ImportTitleOf(const QString& path)
{
    QString title = withoutOuterSpaces(GetFileBaseName(path));
    title.replace(QStringLiteral("%MBF"), kSmallOSlash);
    title.replace(QStringLiteral("%MAF"), kCapitalOSlash);
    title.replace(QStringLiteral("%U00F8"), kSmallOSlash);
    title.replace(QStringLiteral("%U00D8"), kCapitalOSlash);
    return title;
}

int FindWordByTitle(const QString& title, std::int32_t& wordId)
{
    const std::vector<std::int32_t> ids =
        hasLineBreakers(title) ? std::vector<std::int32_t>{} : distinctIdsNamed(title);
    if (ids.size() == 1)
        wordId = ids.front();
    else if (ids.empty())
        wordId = 0;
    else
        wordId = onlyKeyForm(ids);
    return int(ids.size());
}

QString ImportLogText(const QString& text)
{
    if (!hasLineBreakers(text))
        return text;
    QString shown;
    shown.reserve(text.size() + 8);
    for (QChar c : text)
        shown += breaksLogLine(c) ? escaped(c) : QString(c);
    return shown;
}

CaseSensitiveWordNames::CaseSensitiveWordNames() : m_wasCaseSensitive(theWordIndex.Names().IsCaseSensitive())
{
    theWordIndex.Names().SetCaseSensitive(true);
    theWordIndex.Names().Sort();
}

CaseSensitiveWordNames::~CaseSensitiveWordNames()
{
    theWordIndex.Names().SetCaseSensitive(m_wasCaseSensitive);
    theWordIndex.Names().Sort();
}

QString ImportLogLine(ImportItem item, const QString& fileTitle, int matches, std::int32_t wordId, int result)
{
    const QString title = ImportLogText(fileTitle);
    const QString end = QStringLiteral("\r\n");
    if (wordId == 0 && matches == 0)
        return title + QStringLiteral("\tError\tWord not found.") + end;
    if (wordId == 0)
        return title + QStringLiteral("\tError\tFound %1 matches of the word ").arg(matches) + end;
    QString line = resultText(item, title, wordId, result);
    if (matches > 1)
        line += QStringLiteral("\tNB: Used the keyform out of %1 matches of the word.").arg(matches);
    return line + end;
}

QByteArray ImportLogFileBytes(ImportItem item, const QString& outputPath, const QDateTime& now,
                              const QString& log)
{
    const QString header = QStringLiteral("Import %1 to file \"%2\" (%3):\r\n")
                               .arg(QLatin1String(wordsOf(item).inHeader), outputPath,
                                    now.toString(QStringLiteral("dd.MM.yy HH:mm")));
    const QString rule = QString(65, QLatin1Char('-')) + QStringLiteral("\r\n");
    return toWindows1252(header + rule + log);
}

QString ImportLogFileName(const QDateTime& now)
{
    return QStringLiteral("Import log ") + now.toString(QStringLiteral("ddMMyy-HHmm"));
}
