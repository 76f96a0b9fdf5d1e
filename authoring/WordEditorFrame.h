#pragma once
// The word editor ("Edit words"): one window beside the main window with the word list on the left and
// the sheet of the current word on the right (Basic properties, Info, Image, Sound, Animation). It edits
// the words of the current user's file (command 5102) or, for translation, of the output file in the
// translation language (5062). A word of another file can be viewed; it can be edited when the editor's
// file has no word of the same id in the editor's language, and saving it then writes a copy.
//
// The frame owns the editor's state: the editor's file and languages, the current word and whether it
// may be edited, the list's filters and the options kept in "WordEditParams1". Every change of the
// current word first asks the save question (Yes, No, Cancel); Cancel keeps the word and stops what was
// under way (a selection, a rebuild of the list, a new word, closing).
//
// A new word is the frame's own until it is first saved: its record exists in the editor's file, but
// the word index and the list take it only then, and leaving it unsaved removes its record again.

#include "authoring/EditorFrame.h"
#include "authoring/EditorTree.h"
#include "authoring/WordLists.h"
#include "core/ObjectIndex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CProgressWnd;
class CQuibWord;
class CQuibW_ScrollView;
class CQuibW_TreeView;

// Command ids of the editor's menus.
constexpr int kWordShowEditorFile = 5502;
constexpr int kWordShowDataFiles = 5503;
constexpr int kWordTest = 5504;
constexpr int kWordBaseFormsOnly = 5505;
constexpr int kWordWithoutPicture = 5506;
constexpr int kWordWithoutSound = 5507;
constexpr int kWordArchiveList = 5508;
constexpr int kWordRebuildList = 5509;
constexpr int kWordNewWord = 5512;
constexpr int kWordImportNames = 5513;
constexpr int kWordExportWords = 5514;
constexpr int kWordRemoveWord = 5516;
constexpr int kWordCropOnImport = 5517;
constexpr int kWordResizeOnImport = 5518;
constexpr int kWordAutoPlay = 5521;
constexpr int kWordRemoveListed = 5522;
constexpr int kWordMoveListed = 5523;
constexpr int kWordSpecialListed = 5524;
constexpr int kWordUsedOnPages = 5525;
constexpr int kWordWithoutForm = 5526;
// The output-file commands of the Special menu: the imports of word pictures, sounds and clips.
constexpr int kWordImportPictures = 5066;
constexpr int kWordImportSounds = 5067;
constexpr int kWordImportClips = 5068;

// The option bits ("WordEditParams1").
constexpr std::uint16_t kWordOptionCrop = 0x1;
constexpr std::uint16_t kWordOptionResize = 0x2;
constexpr std::uint16_t kWordOptionAutoPlay = 0x4;
constexpr std::uint16_t kWordFilterBaseForms = 0x10;
constexpr std::uint16_t kWordFilterNoPicture = 0x20;
constexpr std::uint16_t kWordFilterNoSound = 0x40;
constexpr std::uint16_t kWordFilterOnPages = 0x80;
constexpr std::uint16_t kWordFilterNoForm = 0x100;
// What a missing or zero value becomes: crop on import and play animations by themselves.
constexpr std::uint16_t kWordDefaultOptions = kWordOptionCrop | kWordOptionAutoPlay;

class CQuibW_Frame : public CEditorFrame
{
    Q_OBJECT

public:
    explicit CQuibW_Frame(QWidget* owner);
    ~CQuibW_Frame() override;

    // Sets the file the editor writes to and its languages (the second is listed too), then rebuilds the
    // list.
    void SetEditorFile(int file, int editorLanguage, int secondLanguage);

    // Makes `word` (none: no word) current, after the save question for the word that was; false when
    // the person chose Cancel, and then nothing changed.
    bool SelectWord(CQuibWord* word);
    // Stores the sheet's edits of the current word (asking with `ask`); false on Cancel. A word that
    // cannot be written is told to the person and stays changed; without `ask` (OK) the sheet stays
    // changed too.
    bool SaveCurrentWord(bool ask);
    // Lists again the words of the files and languages the filters select, with a progress window;
    // nothing when the save question is cancelled.
    void RebuildWordList();
    // Counts the listed words; with `visit`, first selects no word (refused: 0), then visits each listed
    // word and counts those for which it returns true. The visit may remove the word.
    int ForEachListedWord(const std::function<bool(CQuibWord*)>& visit = {});
    // A new empty word in the editor's file, current and not yet listed.
    void NewWord();
    // Removes the current word after asking.
    void RemoveCurrentWord();
    // Removes every listed word of the editor's file without asking, then tells how many went.
    void RemoveListedWords();
    // The sheet's Cancel: drops the current word's edits (a word never saved goes again).
    void RevertWord();
    // The sheet's Edit: goes to the editor file's own word of the same id and language.
    void EditOwnCopy();
    // The word list text files.
    void ImportWordsFromText();
    void ArchiveShownWordList();
    void ExportWordsToText();
    // Builds the menu bar again from the system strings.
    void BuildMenus();

    bool OnCommand(int id, int code, lumivo::ui::CommandUpdate* update) override;
    using CEditorFrame::Execute;

    // What the model tells the editor while it removes a word (core/WordEditorHooks.h).
    void SetCurrentWord(CQuibWord* word);
    void ForgetWordItem(CQuibWord* word);

    CQuibWord* CurrentWord() const { return m_current; }
    bool IsEditable() const { return m_editable; }
    bool IsDeleted() const { return m_deleted; }
    void SetDeleted(bool deleted) { m_deleted = deleted; }
    int EditorFile() const { return m_editorFile; }
    int EditorLanguage() const { return m_editorLanguage; }
    int SecondLanguage() const { return m_secondLanguage; }
    // The file the sheet's pictures, sounds and clips are read from and stored into: the file the word's
    // edits are saved into (the output file when one is open, else the editor's file).
    int SheetFile() const;
    std::uint16_t Options() const { return m_options; }
    bool ListIsStale() const { return m_listStale; }
    bool ShowsEditorFile() const { return m_showEditorFile; }
    bool ShowsDataFiles() const { return m_showDataFiles; }
    CQuibW_TreeView& Tree() const { return *m_tree; }
    CQuibW_ScrollView& View() const { return *m_view; }

protected:
    bool QueryClose() override;
    void Closed() override;

private:
    // A file's map of words for one language, in the order the list takes them.
    using ListedMap = std::pair<int, const CQuibObjIndex::FileMap*>;
    std::vector<GroupedName> gatherListedWords(const std::vector<ListedMap>& maps, int count,
                                               CProgressWnd& progress);
    bool runFilterCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool runEditCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool runListCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool runOutputFileCommand(int id, int code, lumivo::ui::CommandUpdate* update);
    bool toggleOption(std::uint16_t bit, int code, lumivo::ui::CommandUpdate* update);
    void makeCurrent(CQuibWord* word);
    bool decideEditable(CQuibWord* word) const;
    bool askToSave(bool ask, int* answer);
    // Stores the current word; `written` takes the store's code of a word write that failed.
    bool storeWord(int& written);
    void keepUnwrittenWord(bool ask);
    void dropNewWordCopy();
    void moveToEditorCopy(CQuibWord* saved);
    void listWords();
    // The words the list shows, by letter, in the list's order.
    std::vector<ListedWordGroup> listedWordGroups() const;
    void releaseDyingWord();
    bool isNewWord(const CQuibWord* word) const;
    // Drops an unsaved new word, stores the options and counts as closed.
    void leaveEditor();

    CQuibWord* m_current = nullptr;
    // A word made by "New word" and not yet saved: the editor owns it until the word index does.
    std::unique_ptr<CQuibWord> m_newWord;
    // Such a word that the model removed while it still used it; freed once the model's call returns.
    std::unique_ptr<CQuibWord> m_dyingWord;
    CQuibW_TreeView* m_tree = nullptr;
    CQuibW_ScrollView* m_view = nullptr;
    bool m_showEditorFile = true;
    bool m_showDataFiles = false;
    int m_editorFile = 0;
    int m_editorLanguage = 0;
    int m_secondLanguage = 0;
    bool m_editable = false;
    bool m_deleted = false;
    std::uint16_t m_options = kWordDefaultOptions;
    bool m_listStale = true;
    bool m_left = false; // leaveEditor ran
};
