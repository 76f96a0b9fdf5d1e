#include "authoring/BgEditor.h"

#include "authoring/BgEditorFrame.h"
#include "authoring/EditorFrame.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/MainFrame.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QCoreApplication>
#include <QEvent>

namespace
{

constexpr int kTitleText = 5698;

bool editingFlag = false;
bool translatingFlag = false;

// Makes the frame when there is none; true when one exists afterwards.
bool makeFrame(const QString& title)
{
    if (theBgEditorFrame)
        return true;
    theBgEditorFrame = new CQuibBg_Frame(BackgroundEditorOwner());
    theBgEditorFrame->setWindowTitle(title);
    return true;
}

} // namespace

QWidget* BackgroundEditorOwner()
{
    return MainFrame();
}

void OpenBackgroundEditor()
{
    editingFlag = true;
    if (!theBgEditorFrame) {
        if (!CurrentUserMayEdit() || !makeFrame(LoadSystemString(kTitleText)))
            return;
        const int language = theCurrentUser->PrimaryLanguage;
        theBgEditorFrame->SetEditorFile(theCurrentUser->GetFile(), language, language);
    }
    theBgEditorFrame->ShowCentred();
}

void OpenBackgroundEditorForTranslation()
{
    translatingFlag = true;
    if (!theBgEditorFrame) {
        if (!makeFrame(EditorTranslationTitle()))
            return;
        const CQuibSystem* current = GetCurrentLanguageRecord();
        theBgEditorFrame->SetEditorFile(theOutputFile, theTranslateLanguage,
                                        current ? current->m_language : 0);
    }
    theBgEditorFrame->ShowCentred();
}

void EditBackground(CQuibBg* page)
{
    OpenBackgroundEditor();
    if (!theBgEditorFrame || !page)
        return;
    // The editor keeps only pages the page index holds: a pane's own copy of a page goes with the
    // pane, unannounced, so the index's page of the same keys is edited instead (none: no page).
    CQuibBg* indexed = page;
    if (!theBgIndex.Contains(page))
        indexed = static_cast<CQuibBg*>(
            theBgIndex.Find(page->GetFile(), GetBgTypeLanguage(page->GetType()), page->GetID()));
    if (indexed)
        theBgEditorFrame->SelectBackground(indexed);
}

bool QueryCloseBackgroundEditor(bool ask)
{
    if (!theBgEditorFrame)
        return true;
    if (!ask)
        return theBgEditorFrame->SaveCurrentBackground(false);
    // The second pass finds the page stored (or its changes dropped) and only confirms the close.
    return theBgEditorFrame->SaveCurrentBackground(true) && theBgEditorFrame->SaveCurrentBackground(true);
}

bool BackgroundEditorIsOpen()
{
    return theBgEditorFrame != nullptr;
}

bool BackgroundEditorEditing()
{
    return editingFlag;
}

bool BackgroundEditorTranslating()
{
    return translatingFlag;
}

bool BgEditorEditsPage(const CQuibBg* page)
{
    return page && theBgEditorFrame && theBgEditorFrame->CurrentBackground() == page;
}

void ClearBackgroundEditorFlags()
{
    editingFlag = false;
    translatingFlag = false;
}

void ResetBackgroundEditor()
{
    delete theBgEditorFrame; // its destructor clears the pointer and the flags
    theBgEditorFrame = nullptr;
    // A frame closed by the person goes when the event loop runs, which a test's never does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ClearBackgroundEditorFlags();
}
