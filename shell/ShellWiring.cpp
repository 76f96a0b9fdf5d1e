#include "shell/ShellWiring.h"

#include "core/PageEvents.h"
#include "core/User.h"
#include "media/SoundFunctions.h"
#include "panes/WriterPane.h"
#include "shell/App.h"
#include "shell/Clipboard.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLayout.h"
#include "system/SystemStrings.h"

#include <QStatusBar>

namespace
{

CPageEventConnections connections;

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

} // namespace

void WireShell()
{
    wireClipboard();
    // The status text shows on the main frame's status bar while there is a main frame.
    theStatusTextSink.set([](const QString& text) {
        if (CMainFrame* frame = MainFrame())
            frame->statusBar()->showMessage(text);
    });
    // While a sound plays to its end the waiting runs the application's idle work, as its event loop
    // would.
    theSoundWaitIdleHook.set([] {
        if (CQuibApp* app = QuibApp())
            app->OnIdle(0);
    });
    // The users' code asks for the standard frame of a new user's window and for the frame's state.
    theDefaultWindowRectHook.set([](CRect& rect) { GetNearestFrameSize(rect); });
    theMainWindowStateProvider.set([] {
        const CMainFrame* frame = MainFrame();
        MainWindowState state;
        state.exists = frame && frame->ClientWindow();
        state.visible = state.exists && frame->isVisible();
        state.rect = lumivo::mainFrameRect();
        return state;
    });
}

void UnwireShell()
{
    theMainWindowStateProvider.reset();
    theDefaultWindowRectHook.reset();
    theSoundWaitIdleHook.reset();
    theStatusTextSink.reset();
    unwireClipboard();
}
