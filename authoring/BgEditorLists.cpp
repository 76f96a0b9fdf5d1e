#include "authoring/BgEditorLists.h"

#include "authoring/AuthoringStrings.h"

#include "core/Lookups.h"
#include "core/Page.h"
#include "core/Word.h"
#include "platform/archive/Cp1252.h"
#include "store/ResourceTypes.h"
#include "system/ItemIds.h"

namespace
{

constexpr char kNoPageText[] = "No background selected";
constexpr std::int16_t kImportedPageKind = 1;
const QString kRule = QString(65, QLatin1Char('-'));

} // namespace

std::vector<QString> PageNamesOfImport(const QByteArray& bytes, int limit)
{
    std::vector<QString> names;
    qsizetype start = 0;
    while (start < bytes.size() && int(names.size()) < limit) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size(); // a last line without its line feed counts as well
        QByteArray line = bytes.mid(start, end - start);
        line.replace('\r', QByteArray());
        start = end + 1;
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf('\t');
        names.push_back(fromWindows1252(tab < 0 ? line : line.left(tab)));
    }
    return names;
}

int messageIdOf(PageImportError error)
{
    switch (error) {
    case PageImportError::None:
        return 0;
    case PageImportError::NoFreeId:
        return kStrNoFreePageId;
    case PageImportError::StoreFailed:
        return kStrCannotStorePage;
    }
    return 0;
}

PageImportError StorePageNames(const std::vector<QString>& names, int file, int language, int* made)
{
    const std::int32_t type = MakeBgType(kImportedPageKind, std::int16_t(language));
    int count = 0;
    PageImportError error = PageImportError::None;
    for (const QString& name : names) {
        std::int32_t id = NewItemId();
        // No id (kNoItemId as well as 0) makes no record.
        if (id <= 0 || FindFreeResId(&id, file, type) != RES_OK || id <= 0) {
            error = PageImportError::NoFreeId;
            break;
        }
        CQuibBg page;
        page.Name = name;
        if (page.SaveAs(id, file, type) != RES_OK || page.SetName(name) != RES_OK || page.Write() != RES_OK) {
            page.CMyRes::Remove(-1, -1);
            error = PageImportError::StoreFailed;
            break;
        }
        page.Detach();
        ++count;
    }
    if (made)
        *made = count;
    return error;
}

QByteArray PageWordsText(CQuibBg* page)
{
    if (!page)
        return QByteArray(kNoPageText);
    QString text =
        QStringLiteral("WORDS assets to background \"%1\" id=%2 \r\n").arg(page->Name).arg(page->GetID());
    for (const auto& icon : page->Icons) {
        if (icon->WordId == 0)
            continue;
        const std::unique_ptr<CQuibWord> word = FindWordById(icon->WordId);
        if (!word || word->Load() < 0)
            continue;
        text += QStringLiteral("%1\t%2\r\n").arg(word->WordName).arg(word->GetID());
    }
    return toWindows1252(text);
}

QByteArray PageListText(const CTime& when, const std::vector<ListedLetter>& letters)
{
    QString text =
        QStringLiteral("Baggrunde i datafiler (%1):\r\n").arg(when.Format(QStringLiteral("%d.%m.%y %H:%M")));
    text += kRule + QStringLiteral("\r\n");
    for (const ListedLetter& letter : letters) {
        text += letter.letter + QStringLiteral(" -------\r\n");
        for (const ListedPage& page : letter.pages)
            text += QStringLiteral("%1\t%2\r\n").arg(page.id).arg(page.name);
    }
    return toWindows1252(text);
}

QString PageListFileName(const CTime& when)
{
    return QStringLiteral("Ord ") + when.Format(QStringLiteral("%d%m%y-%H%M"));
}
