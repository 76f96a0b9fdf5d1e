#include "shell/ShellWiring.h"

#include "core/PageEvents.h"
#include "panes/WriterPane.h"
#include "shell/Clipboard.h"
#include "shell/Commands.h"

namespace
{

CPageEventConnections connections;

// The clipboard answers the edit commands and keeps the writer pane's copy source.
void wireClipboard()
{
    theCopyToClipboard.set([] { CopyToClipboard(); });
    theCutToClipboard.set([] { CutToClipboard(); });
    thePasteFromClipboard.set([] { PasteFromClipboard(); });
    theCanCopy.set(CanCopy);
    theCanCut.set(CanCut);
    theCanPaste.set(CanPaste);
    theSetCopySentence.set(SetCopySentence);
    theClearCopySource.set(ClearCopySource);
}

void unwireClipboard()
{
    for (auto* hook : {&theCopyToClipboard, &theCutToClipboard, &thePasteFromClipboard})
        hook->reset();
    for (auto* hook : {&theCanCopy, &theCanCut, &theCanPaste})
        hook->reset();
    theSetCopySentence.reset();
    theClearCopySource.reset();
}

} // namespace

void WireShell()
{
    wireClipboard();
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
    unwireClipboard();
}
