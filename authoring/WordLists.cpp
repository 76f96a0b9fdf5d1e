#include "authoring/WordLists.h"

#include "authoring/BgEditorLists.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordForms.h"
#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "platform/archive/Cp1252.h"
#include "store/ResourceTypes.h"
#include "system/ItemIds.h"

#include <algorithm>
#include <memory>

namespace
{

const QString kRule = QString(65, QLatin1Char('-'));

// Makes the word index's name list tell case apart while it lives, and gives it its own setting (and
// order) back when it goes, however the import ends.
class CaseSensitiveNames
{
public:
    CaseSensitiveNames() : m_names(theWordIndex.Names()), m_wasCaseSensitive(m_names.IsCaseSensitive())
    {
        m_names.SetCaseSensitive(true);
        m_names.Sort();
    }
    ~CaseSensitiveNames()
    {
        m_names.SetCaseSensitive(m_wasCaseSensitive);
        m_names.Sort();
    }
    CaseSensitiveNames(const CaseSensitiveNames&) = delete;
    CaseSensitiveNames& operator=(const CaseSensitiveNames&) = delete;

private:
    CSortedStringArray& m_names;
    bool m_wasCaseSensitive;
};

// The ids of the user's items (below the system ids) among the words named exactly `name`, each once.
std::vector<std::int32_t> userWordIdsNamed(const QString& name)
{
    const CSortedStringArray& names = theWordIndex.Names();
    std::vector<std::int32_t> ids;
    for (int entry = names.Find(name); entry >= 0; entry = names.Find(name, entry + 1)) {
        auto* word = dynamic_cast<CQuibWord*>(static_cast<CMyRes*>(names.GetItemData(entry)));
        if (!word || word->GetID() >= kFirstSystemId)
            continue;
        if (std::find(ids.begin(), ids.end(), word->GetID()) == ids.end())
            ids.push_back(word->GetID());
    }
    return ids;
}

// A new word of that id and name in the file, filed in the index; none when the store refused it
// (`code` gets the store's code).
CQuibWord* makeWord(std::int32_t id, const QString& name, int file, int language, int* code)
{
    auto word = std::make_unique<CQuibWord>();
    word->WordName = name;
    *code = word->SaveAs(id, file, MakeWordType(std::int16_t(language)));
    if (*code == RES_OK)
        *code = word->SetName(name);
    if (*code != RES_OK) {
        word->CMyRes::Remove(-1, -1);
        return nullptr;
    }
    return SaveWord(std::move(word));
}

} // namespace

std::vector<QString> WordNamesOfImport(const QByteArray& bytes, int limit)
{
    std::vector<QString> names = PageNamesOfImport(bytes, limit);
    for (QString& name : names)
        name = name.trimmed();
    return names;
}

int messageIdOf(WordImportError error)
{
    return error == WordImportError::NoFreeId ? kStrNoFreeWordId : 0;
}

WordImportResult ImportWordNames(const std::vector<QString>& names, int file, int language,
                                 const std::function<void(CQuibWord*)>& stored)
{
    const CaseSensitiveNames caseSensitive;
    WordImportResult result;
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        const std::vector<std::int32_t> ids = userWordIdsNamed(name);
        if (ids.size() > 1) {
            result.issues.push_back({kStrImportManually, name});
            continue;
        }
        std::int32_t id = ids.empty() ? NewItemId() : ids.front();
        // No id (kNoItemId) makes no record, and the ids after it would fail alike.
        if (id <= 0) {
            result.error = WordImportError::NoFreeId;
            break;
        }
        auto* word = static_cast<CQuibWord*>(theWordIndex.Find(file, language & 0xFF, id));
        if (word) {
            word->WordName = name;
            SaveWord(word);
        } else {
            int code = RES_OK;
            word = makeWord(id, name, file, language, &code);
            if (!word) {
                result.issues.push_back({kStrCannotStoreWord, QStringLiteral("%1 (%2)").arg(name).arg(code)});
                continue;
            }
        }
        ++result.stored;
        if (stored)
            stored(word);
    }
    return result;
}

QByteArray WordListText(const CTime& when, const std::vector<ListedWordGroup>& groups)
{
    QString text =
        QStringLiteral("Ord i datafiler (%1):\r\n").arg(when.Format(QStringLiteral("%d.%m.%y %H:%M")));
    text += kRule + QStringLiteral("\r\n");
    for (const ListedWordGroup& group : groups) {
        text += group.letter + QStringLiteral(" -------\r\n");
        for (const ListedWord& word : group.words)
            text += QStringLiteral("%1\t%2\t\t%3 - %4\r\n")
                        .arg(word.id)
                        .arg(word.name, WordClassName(word.form), FormName(word.form));
    }
    return toWindows1252(text);
}

QByteArray WordNamesText(const std::vector<ListedWordGroup>& groups)
{
    QString text;
    for (const ListedWordGroup& group : groups) {
        for (const ListedWord& word : group.words)
            text += QStringLiteral("%1\t%2\r\n").arg(word.name).arg(word.id);
    }
    return toWindows1252(text);
}
