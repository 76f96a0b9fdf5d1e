#include "admin/TestReports.h"

#include "admin/AdminStrings.h"
#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Sound.h"
#include "core/Word.h"
#include "platform/archive/Cp1252.h"
#include "platform/files/FileSystem.h"
#include "platform/types/Time.h"
#include "platform/ui/Ui.h"
#include "shell/MainFrame.h"
#include "system/SystemStrings.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace
{

// The report's header and rule, as the people who read these files know them.
constexpr char kMissingSoundHeader[] = "Word used with icons with no sound (%1):\r\n";
constexpr int kRuleLength = 65;
constexpr char kLineEnd[] = "\r\n";

void forEachLoadedPage(const std::function<void(CQuibBg&)>& visit)
{
    theBgIndex.ForEach([&visit](std::int32_t, CMyRes* object) {
        if (auto* page = dynamic_cast<CQuibBg*>(object))
            visit(*page);
    });
}

bool pageUsesWord(const CQuibBg& page, std::int32_t wordId)
{
    return std::any_of(page.Icons.begin(), page.Icons.end(),
                       [wordId](const auto& icon) { return icon->WordId == wordId; });
}

// The word ids of every icon of every loaded page, each once, in the order met.
std::vector<std::int32_t> wordIdsOnPages()
{
    std::vector<std::int32_t> ids;
    forEachLoadedPage([&ids](CQuibBg& page) {
        for (const auto& icon : page.Icons) {
            if (std::find(ids.begin(), ids.end(), icon->WordId) == ids.end())
                ids.push_back(icon->WordId);
        }
    });
    return ids;
}

std::optional<QString> nameOfWordWithoutSound(std::int32_t wordId, int voiceKind)
{
    if (FindSoundById(wordId, voiceKind))
        return std::nullopt;
    const std::unique_ptr<CQuibWord> word = FindWordById(wordId);
    if (!word || word->Load() < 0)
        return std::nullopt;
    return word->WordName;
}

bool writeReport(const QString& path, const QString& text)
{
    const QByteArray bytes = toWindows1252(text);
    return lumivo::files::writeFileAtomically(path, bytes.constData(),
                                              static_cast<std::size_t>(bytes.size()));
}

} // namespace

QString WordUsageText(CQuibIcon& icon)
{
    QStringList pageNames;
    forEachLoadedPage([&pageNames, &icon](CQuibBg& page) {
        if (pageUsesWord(page, icon.WordId))
            pageNames << page.Name;
    });
    const QString word = icon.GetDisplayText(kWordTextCutSuffix | kWordTextDropLayoutChars);
    return FillSystemString(kWordUsageText, {word, QString::number(pageNames.size())}) +
           pageNames.join(QStringLiteral(", "));
}

void WordUsageReport()
{
    if (theSelectedIcons.size() != 1) {
        MessageBoxById(kSelectOneIconText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONINFORMATION);
        return;
    }
    ShowMessage(WordUsageText(*theSelectedIcons.front()));
}

QString MissingSoundReportText(int voiceKind, const CTime& now)
{
    QString text = QString::fromLatin1(kMissingSoundHeader).arg(now.Format(QStringLiteral("%d.%m.%y %H:%M")));
    text += QString(kRuleLength, QLatin1Char('-')) + QLatin1String(kLineEnd);
    for (const std::int32_t wordId : wordIdsOnPages()) {
        if (const std::optional<QString> name = nameOfWordWithoutSound(wordId, voiceKind))
            text += *name + QLatin1String(kLineEnd);
    }
    return text;
}

void MissingSoundReport(int voiceKind)
{
    const CTime now = CTime::GetCurrentTime();
    const QString suggested =
        FillSystemString(kMissingSoundFileName, {now.Format(QStringLiteral("%d%m%y-%H%M"))});
    const QString filter = lumivo::ui::windowsFilterToQt(
        QStringLiteral("%1 (*.txt)|*.txt||").arg(LoadSystemString(kTextFilesText)));
    const std::optional<QString> path = lumivo::ui::chooseSaveFile(
        LoadSystemString(kMissingSoundTitle), suggested, filter, MainFrame(), QStringLiteral("txt"));
    if (!path)
        return;
    if (!writeReport(*path, MissingSoundReportText(voiceKind, now)))
        MessageBoxById(kReportNotWrittenText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONWARNING,
                       QFileInfo(*path).fileName());
}
