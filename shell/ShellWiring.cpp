#include "shell/ShellWiring.h"

#include "core/PageEvents.h"
#include "shell/Clipboard.h"

namespace
{

CPageEventConnections connections;

} // namespace

void WireShell()
{
    // The clipboard's copy source forgets what dies and follows the selection, after the panes (wired
    // first) have followed it.
    connections.Follow(&CPageEvents::iconAboutToBeDestroyed, ForgetCopyIcon);
    connections.Follow(&CPageEvents::sentenceAboutToBeDestroyed, ForgetCopySentence);
    connections.Follow(&CPageEvents::selectionChanged, OnClipboardSelectionChanged);
    // The status bar follows the status text; the shell supplies the sound wait's idle step and the
    // screen's standard frame.
}

void UnwireShell()
{
    connections.DisconnectAll();
}
