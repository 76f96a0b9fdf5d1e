#include "authoring/WordEditor.h"

#include "authoring/EditorFrame.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordSheetView.h"
#include "core/User.h"
#include "core/WordEditorHooks.h"
#include "shell/MainFrame.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QCoreApplication>
#include <QEvent>

namespace
{

constexpr int kTitleText = 5598;

bool editingFlag = false;
bool translatingFlag = false;

CQuibW_Frame* openFrame()
{
    return theWordEditorFrame;
}

void makeFrame(const QString& title)
{
    theWordEditorFrame = new CQuibW_Frame(WordEditorOwner());
    theWordEditorFrame->setWindowTitle(title);
}

} // namespace

QWidget* WordEditorOwner()
{
    return MainFrame();
}

void OpenWordEditor()
{
    editingFlag = true;
    if (!openFrame()) {
        if (!CurrentUserMayEdit())
            return;
        makeFrame(LoadSystemString(kTitleText));
        const int language = theCurrentUser->PrimaryLanguage;
        theWordEditorFrame->SetEditorFile(theCurrentUser->GetFile(), language, language);
    }
    // The buttons follow the ways the editor is open.
    theWordEditorFrame->View().LayoutButtons();
    theWordEditorFrame->ShowCentred();
}

void OpenWordEditorForTranslation()
{
    translatingFlag = true;
    if (!openFrame()) {
        makeFrame(EditorTranslationTitle());
        const CQuibSystem* current = GetCurrentLanguageRecord();
        theWordEditorFrame->SetEditorFile(theOutputFile, theTranslateLanguage,
                                          current ? current->m_language : 0);
    }
    theWordEditorFrame->View().LayoutButtons();
    theWordEditorFrame->ShowCentred();
}

void UpdateWordEditor(bool rebuildList, bool rebuildMenus, bool layOutButtons)
{
    CQuibW_Frame* frame = openFrame();
    if (!frame)
        return;
    if (rebuildList)
        frame->RebuildWordList();
    if (rebuildMenus)
        frame->BuildMenus();
    if (layOutButtons)
        frame->View().LayoutButtons();
}

bool QueryCloseWordEditor(bool ask)
{
    CQuibW_Frame* frame = openFrame();
    return !frame || frame->SaveCurrentWord(ask);
}

bool WordEditorEditing()
{
    return editingFlag;
}

bool WordEditorTranslating()
{
    return translatingFlag;
}

void ClearWordEditorFlags()
{
    editingFlag = false;
    translatingFlag = false;
}

void WireWordEditorHooks()
{
    // While a word is removed: the sheet forgets its edits, the frame selects no word, the word's item
    // leaves the list, and the editor has no current word.
    theWordEditorSetChangedHook.set([](bool changed) {
        if (CQuibW_Frame* frame = openFrame())
            frame->View().SetChanged(changed);
    });
    theWordEditorFrameSelectWordHook.set([](CQuibWord* word) {
        if (CQuibW_Frame* frame = openFrame())
            frame->SetCurrentWord(word);
    });
    theWordEditorTreeSelectWordHook.set([](CQuibWord* word) {
        if (CQuibW_Frame* frame = openFrame())
            frame->ForgetWordItem(word);
    });
    theWordEditorSetCurrentWordHook.set([](CQuibWord* word) {
        if (CQuibW_Frame* frame = openFrame())
            frame->SetCurrentWord(word);
    });
}

void UnwireWordEditorHooks()
{
    theWordEditorSetChangedHook.reset();
    theWordEditorFrameSelectWordHook.reset();
    theWordEditorTreeSelectWordHook.reset();
    theWordEditorSetCurrentWordHook.reset();
}

void ResetWordEditor()
{
    delete theWordEditorFrame; // its destructor clears the pointer and the flags
    theWordEditorFrame = nullptr;
    // A frame closed by the person goes when the event loop runs, which a test's never does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ClearWordEditorFlags();
}
