#include "shell/ShellWiring.h"

#include "core/PageEvents.h"
#include "core/User.h"
#include "media/SoundFunctions.h"
#include "panes/WriterPane.h"
#include "platform/registry/Registry.h"
#include "shell/App.h"
#include "shell/Clipboard.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "system/StatusText.h"
#include "system/SystemStrings.h"

#include <QMetaObject>
#include <QStatusBar>

namespace
{

CPageEventConnections connections;
QMetaObject::Connection statusShown;

void wireClipboard()
{
    // The clipboard's copy source forgets what dies and follows the selection, after the panes (wired
    // first) have followed it.
    connections.Follow(&CPageEvents::iconAboutToBeDestroyed, ForgetCopyIcon);
    connections.Follow(&CPageEvents::sentenceAboutToBeDestroyed, ForgetCopySentence);
    connections.Follow(&CPageEvents::selectionChanged, OnClipboardSelectionChanged);
}

void unwireClipboard()
{
    connections.DisconnectAll();
    ResetClipboard();
}

void showStatusText(const QString& text)
{
    if (CMainFrame* frame = MainFrame())
        frame->statusBar()->showMessage(text);
}

} // namespace

void WireShell()
{
    wireClipboard();
    // The status text shows on the main frame's status bar while there is a main frame.
    statusShown = QObject::connect(&theStatusText, &CStatusText::changed, showStatusText);
    // While a sound plays to its end the waiting runs the application's idle work, as its event loop
    // would.
    theSoundWaitIdleHook.set([] {
        if (CQuibApp* app = QuibApp())
            app->OnIdle(0);
    });
    // The users' code asks for the standard frame of a new user's window.
    theDefaultWindowRectHook.set([](CRect& rect) { GetNearestFrameSize(rect); });
    // Settings that a write nobody waits for (the event loop's, the last at exit) could not write.
    lumivo::registry::theUnwrittenSettingsHook.set([](const QString& file) {
        WriteDebugLog(QStringLiteral("The settings file %1 could not be written").arg(file));
    });
}

void UnwireShell()
{
    lumivo::registry::theUnwrittenSettingsHook.reset();
    theDefaultWindowRectHook.reset();
    theSoundWaitIdleHook.reset();
    QObject::disconnect(statusShown);
    unwireClipboard();
}
