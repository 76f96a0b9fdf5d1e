#include "authoring/AuthoringWiring.h"

#include "authoring/BgEditor.h"
#include "panes/Pane.h"
#include "shell/Commands.h"

namespace
{

// The page editor: opened by its command, by the Enter key on a pane and by the output-file commands;
// asked by the commands and the panes whether it is open and which page it edits. It follows the
// model's events itself while it is open (its frame connects to thePageEvents).
void wireBackgroundEditor()
{
    theOpenBackgroundEditorHook.set(OpenBackgroundEditor);
    theOpenBackgroundEditorForTranslationHook.set(OpenBackgroundEditorForTranslation);
    theEditBackgroundHook.set(EditBackground);
    theBackgroundEditorIsOpenHook.set(BackgroundEditorIsOpen);
    theBgEditorEditsPageHook.set(BgEditorEditsPage);
    theQueryCloseBackgroundEditorHook.set(QueryCloseBackgroundEditor);
}

void unwireBackgroundEditor()
{
    theOpenBackgroundEditorHook.reset();
    theOpenBackgroundEditorForTranslationHook.reset();
    theEditBackgroundHook.reset();
    theBackgroundEditorIsOpenHook.reset();
    theBgEditorEditsPageHook.reset();
    theQueryCloseBackgroundEditorHook.reset();
}

} // namespace

void WireAuthoring()
{
    wireBackgroundEditor();
}

void UnwireAuthoring()
{
    unwireBackgroundEditor();
}
