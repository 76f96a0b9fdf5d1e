#include "shell/ShellWiring.h"

#include "core/User.h"
#include "media/SoundFunctions.h"
#include "shell/App.h"
#include "shell/Clipboard.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "system/StatusText.h"

#include <QMetaObject>
#include <QStatusBar>

#include <vector>

namespace
{

// What WireShell connected, so that UnwireShell disconnects exactly that.
std::vector<QMetaObject::Connection> shellConnections;

void showStatusText(const QString& text)
{
    if (CMainFrame* frame = MainFrame())
        frame->statusBar()->showMessage(text);
}

} // namespace

void WireShell()
{
    // The clipboard follows icons and sentences about to die and the selection.
    InstallClipboard();
    // The status text shows on the main frame's status bar while there is a main frame.
    shellConnections.push_back(QObject::connect(&theStatusText, &CStatusText::changed, showStatusText));
    // While a sound plays to its end the waiting runs the application's idle work, as its event loop
    // would.
    theSoundWaitIdleHook.set([] {
        if (CQuibApp* app = QuibApp())
            app->OnIdle(0);
    });
    // The users' code asks for the standard frame of a new user's window.
    theDefaultWindowRectHook.set([](CRect& rect) { GetNearestFrameSize(rect); });
}

void UnwireShell()
{
    theDefaultWindowRectHook.reset();
    theSoundWaitIdleHook.reset();
    for (const QMetaObject::Connection& connection : shellConnections)
        QObject::disconnect(connection);
    shellConnections.clear();
    ResetClipboard();
}
