#include "authoring/AuthoringWiring.h"

#include "authoring/BgEditor.h"
#include "authoring/IconWizard.h"
#include "authoring/PageWizard.h"
#include "authoring/WordEditor.h"
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

// The word editor: opened by its command and by the output-file commands; asked by the edit-mode switch
// and before the program ends to let go of its word; told by the model of a word that is removed.
void wireWordEditor()
{
    theOpenWordEditorHook.set(OpenWordEditor);
    theOpenWordEditorForTranslationHook.set(OpenWordEditorForTranslation);
    theQueryCloseWordEditorHook.set(QueryCloseWordEditor);
    theUpdateWordEditorHook.set(
        [](int list, int menus, int buttons) { UpdateWordEditor(list != 0, menus != 0, buttons != 0); });
    WireWordEditorHooks();
}

void unwireWordEditor()
{
    theOpenWordEditorHook.reset();
    theOpenWordEditorForTranslationHook.reset();
    theQueryCloseWordEditorHook.reset();
    theUpdateWordEditorHook.reset();
    UnwireWordEditorHooks();
}

// The two wizards: the icon wizard by its command (5103), the icon-wizard tool and the context menu's
// "New icon..." (5747); the page wizard by its command (5123) and the context menu's "Edit page..."
// (5741). Both run modally and return when the author is done.
void wireWizards()
{
    theRunIconWizardHook.set([](CQuibIcon* icon, int action, CPane* pane, int x, int y) {
        RunIconWizard(nullptr, icon, action, pane, x, y);
    });
    theRunPageWizardHook.set(
        [](CQuibBg* page, int /*action*/, CPane* pane) { RunPageWizard(nullptr, page, pane); });
}

void unwireWizards()
{
    theRunIconWizardHook.reset();
    theRunPageWizardHook.reset();
}

} // namespace

void WireAuthoring()
{
    wireBackgroundEditor();
    wireWordEditor();
    wireWizards();
}

void UnwireAuthoring()
{
    unwireWordEditor();
    unwireWizards();
    unwireBackgroundEditor();
}
