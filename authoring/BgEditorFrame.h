#pragma once
// The page editor ("Edit backgrounds"): one window beside the main window with the tree of the pages it
// can see on the left and the sheet of the current page on the right. It edits the current user's file
// (command 5117) or, for translation, the output file in the translation language (5064). A page of
// another file can be viewed; it can be edited when the editor's file has no page of the same id, kind
// and language, and saving it then writes a copy into the editor's file.
//
// The frame owns the editor's state: the editor's file and languages, the current page and whether it
// may be edited, the filter of the tree, and the picture import mode. Every change of the current page
// first asks the save question (Yes, No, Cancel); Cancel keeps the page and stops what was under way
// (a selection, a refill of the tree, a new page, closing).
//
// It follows the model through thePageEvents: a page committed elsewhere marks the sheet changed, a page
// about to be removed or replaced leaves the tree and the sheet before it goes.

#include "authoring/EditorFrame.h"

#include <cstdint>
#include <memory>

class CPane;
class CQuibBg;
class CQuibBg_ScrollView;
class CQuibBg_TreeView;

// Command ids of the editor's menus.
constexpr int kBgFilterOutputFile = 5602;
constexpr int kBgFilterDataFiles = 5603;
constexpr int kBgNewBackground = 5612;
constexpr int kBgImportNames = 5613;
constexpr int kBgExportWords = 5614;
constexpr int kBgRemoveBackground = 5616;
constexpr int kBgImportCrop = 5617;
constexpr int kBgImportResize = 5618;
constexpr int kBgImportKeepSize = 5619;
constexpr int kBgTransferBackground = 5622;
constexpr int kBgSaveList = 5623;
constexpr int kBgFirstUserLevel = 10000; // "Userlevel 0" to "Userlevel 31"
constexpr int kBgUserLevels = 32;
constexpr int kBgFirstScreenSize = 20000; // 20001 to 20006 are offered
constexpr int kBgLastScreenSize = 20007;

class CQuibBg_Frame : public CEditorFrame
{
    Q_OBJECT

public:
    explicit CQuibBg_Frame(QWidget* owner);
    ~CQuibBg_Frame() override;

    // Sets the file the editor writes to and its languages (the second is also listed), then fills
    // the tree.
    void SetEditorFile(int file, int primaryLanguage, int secondLanguage);

    // Makes `page` (none: no page) current, after the save question for the page that was; false when
    // the person chose Cancel, and then nothing changed.
    bool SelectBackground(CQuibBg* page);
    // Stores the sheet's edits of the current page (asking with `ask`); false on Cancel. A page that
    // cannot be written is told to the person and stays changed; without `ask` (OK) the sheet stays
    // changed too.
    bool SaveCurrentBackground(bool ask);
    // Lists again the pages of the files and languages the filter selects; nothing when the save
    // question is cancelled.
    void FillTree();
    // A new empty page in the editor's file, current and not yet listed: its first save lists it.
    void NewBackground();
    // The sheet's Cancel: drops the current page's edits (a page never saved goes again).
    void RevertBackground();
    // The sheet's Edit: goes to the editor file's own page of the same id and language.
    void EditOwnCopy();
    void RemoveBackground();
    void ImportBackgroundNames();
    void ExportBackgroundWords();
    void SaveBackgroundList();
    // The image page's screen-size choice (0 to 6), handed on to the page.
    void SetImageScreenSize(std::uint16_t choice);

    bool OnCommand(int id, int code, lumivo::ui::CommandUpdate* update) override;
    using CEditorFrame::Execute;

    CQuibBg* CurrentBackground() const { return m_current; }
    bool IsEditable() const { return m_editable; }
    int EditorFile() const { return m_editorFile; }
    int PrimaryLanguage() const { return m_primaryLanguage; }
    int SecondLanguage() const { return m_secondLanguage; }
    std::uint16_t ImportMode() const { return m_importMode; }
    bool ShowsEditorFile() const { return m_showEditorFile; }
    bool ShowsDataFiles() const { return m_showDataFiles; }
    CQuibBg_TreeView& Tree() const { return *m_tree; }
    CQuibBg_ScrollView& View() const { return *m_view; }

protected:
    bool QueryClose() override;
    void Closed() override;

private:
    void BuildMenus();
    bool runFilterCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool runEditCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool runChoiceCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    void listPages();
    void makeCurrent(CQuibBg* page, bool showInMainPane);
    bool decideEditable(CQuibBg* page) const;
    // The answers Yes and No to the save question: the pages and the page are stored, or the pages'
    // changes and the page's are dropped. `written` takes the store's code of a page write that failed.
    bool storeCurrentBackground(int& written);
    bool dropCurrentChanges();
    void followModel();
    void onPageCommitted(CQuibBg* page);
    void onPageAboutToBeRemoved(CQuibBg* page);
    void onPageReplaced(CQuibBg* old, CQuibBg* replacement);
    void forgetCurrent();
    void releaseDyingPage();
    // Stops following the model, drops an unsaved new page, stores the import mode and counts as closed.
    void leaveEditor();

    CQuibBg* m_current = nullptr;
    // The page a selection asked for while the save question runs; the model's events keep it valid.
    CQuibBg* m_pendingSelection = nullptr;
    CPane* m_paneShowing = nullptr;
    // A page made by "New background" and not yet saved: the editor owns it until the page index does.
    std::unique_ptr<CQuibBg> m_newPage;
    // Such a page that the model removed while it still used it; freed once the model's call returns.
    std::unique_ptr<CQuibBg> m_dyingPage;
    CQuibBg_TreeView* m_tree = nullptr;
    CQuibBg_ScrollView* m_view = nullptr;
    bool m_showEditorFile = true;
    bool m_showDataFiles = false;
    int m_editorFile = 0;
    int m_primaryLanguage = 0;
    int m_secondLanguage = 0;
    std::uint16_t m_userLevel = 0;
    std::uint16_t m_screenSize = 0;
    bool m_editable = false;
    std::uint16_t m_importMode = 0;
    bool m_treeStale = false; // a page the tree listed was replaced: list again once the model is done
    bool m_left = false;      // leaveEditor ran
};

// The open page editor, or none.
extern CQuibBg_Frame* theBgEditorFrame;
