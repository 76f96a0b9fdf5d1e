#include "shell/Help.h"

#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QDir>
#include <QFileInfo>

namespace
{

constexpr int kNoBrowserText = 9466;

} // namespace

bool HtmlHelp(int command, unsigned data)
{
    const QUrl page = lumivo::helpPageUrl(theHelpFile, command, data);
    if (page.isEmpty())
        return false;
    // Without a browser the desktop opens nothing and says so only on the terminal: the person is told,
    // with the folder where the pages can be opened by hand.
    if (!theOpenHelpPageHook(page))
        MessageBoxById(kNoBrowserText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONINFORMATION,
                       QDir::toNativeSeparators(QFileInfo(theHelpFile).absolutePath()));
    return true;
}

namespace lumivo
{

QUrl helpPageUrl(const QString& helpFile, int command, unsigned data)
{
    if (helpFile.isEmpty())
        return {};
    const QString folder = QFileInfo(helpFile).absolutePath() + QLatin1Char('/');
    switch (command) {
    case HH_DISPLAY_INDEX:
        return QUrl::fromLocalFile(folder + QLatin1String(kHelpIndexPage));
    case HH_DISPLAY_SEARCH:
        return QUrl::fromLocalFile(folder + QLatin1String(kHelpSearchPage));
    case HH_HELP_CONTEXT: {
        QUrl page = QUrl::fromLocalFile(helpFile);
        if (data != 0)
            page.setFragment(QStringLiteral("context-%1").arg(data));
        return page;
    }
    default:
        return QUrl::fromLocalFile(helpFile);
    }
}

} // namespace lumivo
