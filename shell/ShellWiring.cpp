#include "shell/ShellWiring.h"

#include "core/User.h"
#include "media/SoundFunctions.h"
#include "shell/App.h"
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
    // The clipboard follows thePageEvents here (icons and sentences about to die, the selection).
    shellConnections.push_back(QObject::connect(&theStatusText, &CStatusText::changed, showStatusText));
    // While a sound plays to its end the waiting runs the application's idle work, as the event loop
    // would.
    theSoundWaitIdleHook.set([] {
        if (CQuibApp* app = QuibApp())
            app->OnIdle(0);
    });
    theDefaultWindowRectHook.set([](CRect& rect) { GetNearestFrameSize(rect); });
}

void UnwireShell()
{
    for (const QMetaObject::Connection& connection : shellConnections)
        QObject::disconnect(connection);
    shellConnections.clear();
    theSoundWaitIdleHook.reset();
    theDefaultWindowRectHook.reset();
}
