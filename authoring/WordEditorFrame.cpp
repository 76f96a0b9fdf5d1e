#include "authoring/WordEditorFrame.h"

#include "authoring/WordEditor.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordSheetView.h"
#include "authoring/WordTreeView.h"
#include "core/ObjectIndex.h"
#include "core/User.h"
#include "core/Word.h"
#include "core/WordEditorHooks.h"
#include "platform/ui/Ui.h"
#include "shell/ProgressWnd.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/ItemIds.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{

constexpr int kTreeWidth = 130;
constexpr int kMinimumTreeWidth = 50;
constexpr int kAskSaveWord = 9004;
// The list lets the person's input through every so many words while it fills.
// A rebuild looks at the clock every few words and lets the person's input through when this much time
// has passed since the last time.
constexpr int kWordsBetweenClockLooks = 32;
constexpr qint64 kMillisecondsBetweenPumps = 8;

} // namespace

CQuibW_Frame::CQuibW_Frame(QWidget* owner) : CEditorFrame(owner)
{
    setObjectName(QStringLiteral("wordEditorFrame"));
    // A missing or zero value becomes the default, kept at once.
    m_options = ReadEditorParams(0);
    if (m_options == 0) {
        m_options = kWordDefaultOptions;
        WriteEditorParams(m_options);
    }
    m_tree = new CQuibW_TreeView(*this);
    m_view = new CQuibW_ScrollView(*this);
    SetPanes(m_tree, m_view, kTreeWidth, kMinimumTreeWidth);
    BuildMenus();
}

CQuibW_Frame::~CQuibW_Frame()
{
    leaveEditor();
}

void CQuibW_Frame::leaveEditor()
{
    if (m_left)
        return;
    m_left = true;
    // A new word never saved leaves no record behind.
    if (m_newWord)
        m_newWord->CMyRes::Remove(-1, -1);
    m_current = nullptr;
    WriteEditorParams(m_options);
    if (theWordEditorFrame == this)
        theWordEditorFrame = nullptr;
    ClearWordEditorFlags();
}

void CQuibW_Frame::Closed()
{
    leaveEditor();
}

bool CQuibW_Frame::QueryClose()
{
    return SaveCurrentWord(true) && SelectWord(nullptr);
}

void CQuibW_Frame::SetEditorFile(int file, int editorLanguage, int secondLanguage)
{
    m_editorFile = file;
    m_editorLanguage = editorLanguage;
    m_secondLanguage = secondLanguage;
    RebuildWordList();
}

int CQuibW_Frame::SheetFile() const
{
    return theOutputFile > 0 ? theOutputFile : m_editorFile;
}

bool CQuibW_Frame::isNewWord(const CQuibWord* word) const
{
    return word && m_newWord && word == m_newWord.get();
}

void CQuibW_Frame::releaseDyingWord()
{
    m_dyingWord.reset();
}

// ---- The current word ---------------------------------------------------------------------------------

bool CQuibW_Frame::SelectWord(CQuibWord* word)
{
    if (!SaveCurrentWord(true)) {
        m_tree->SelectWordSilently(m_current);
        return false;
    }
    if (m_newWord && word != m_newWord.get()) {
        // Left without a save: the new word goes again, so no empty word is left in the file.
        CQuibWord::Remove(m_newWord.get(), false);
        releaseDyingWord();
    }
    makeCurrent(word);
    return true;
}

void CQuibW_Frame::makeCurrent(CQuibWord* word)
{
    const bool another = word != m_current;
    m_current = word;
    m_editable = word && decideEditable(word);
    m_deleted = word && (word->WordFlags & 0x1);
    m_tree->SelectWordSilently(word);
    if (word && word->IsChanged())
        m_view->SetChanged(true);
    m_view->RefreshSheet(another);
}

bool CQuibW_Frame::decideEditable(CQuibWord* word) const
{
    if (word->GetFile() == m_editorFile)
        return true;
    int error = 0;
    const bool ownCopy =
        ResourceExists(word->GetID(), MakeWordType(std::int16_t(m_editorLanguage)), m_editorFile, &error);
    return !ownCopy || error != 0;
}

void CQuibW_Frame::SetCurrentWord(CQuibWord* word)
{
    if (word == m_current)
        return;
    makeCurrent(word);
}

void CQuibW_Frame::ForgetWordItem(CQuibWord* word)
{
    m_tree->RemoveWordItem(word);
    // The model still uses the word until its Remove returns; it is freed after that.
    if (isNewWord(word)) {
        m_dyingWord = std::move(m_newWord);
        QTimer::singleShot(0, this, [this] { releaseDyingWord(); });
    }
}

bool CQuibW_Frame::askToSave(bool ask, int* answer)
{
    using namespace lumivo::ui;
    *answer = ask ? MessageBoxById(kAskSaveWord, MB_YESNOCANCEL) : IDYES;
    return *answer != IDCANCEL;
}

bool CQuibW_Frame::SaveCurrentWord(bool ask)
{
    if (!m_view->IsChanged() || !m_current)
        return true;
    int answer = lumivo::ui::IDYES;
    if (!askToSave(ask, &answer))
        return false;
    if (answer != lumivo::ui::IDYES) {
        // No: the word as stored comes back, and none of the sheet's pictures, sounds or clips is kept.
        RevertWord();
        return true;
    }
    if (!m_view->Sheet().ApplyPages())
        return false;
    m_current->Commit();
    int written = RES_OK;
    if (!storeWord(written))
        return false;
    if (written != RES_OK)
        keepUnwrittenWord(ask);
    return true;
}

// The word (or its copy) stays changed in the word index, for its file's next save. OK keeps the sheet
// changed, so that OK may try again; on the way to something else the sheet lets go of it (the word
// itself shows it changed when it is chosen again).
void CQuibW_Frame::keepUnwrittenWord(bool ask)
{
    m_view->SetChanged(!ask);
    MessageBoxById(kStrWordNotStored, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                   GetResFilePath(SheetFile()));
}

bool CQuibW_Frame::storeWord(int& written)
{
    CQuibWord* word = m_current;
    if (!CQuibWord::SaveChanges(word, false, &written))
        return false;
    m_view->SetChanged(false);
    if (isNewWord(word)) {
        if (word->GetFile() == SheetFile()) {
            // Written in place: the word index takes the new word over now.
            m_current = word = SaveWord(std::move(m_newWord), &written);
        } else {
            dropNewWordCopy();
            return true;
        }
    }
    m_tree->RefreshWordItem(word);
    if (word->GetFile() == m_editorFile)
        m_view->RefreshSheet();
    else
        moveToEditorCopy(word);
    return true;
}

void CQuibW_Frame::dropNewWordCopy()
{
    // The save wrote a copy into another file (the output file): the empty record made for the new word
    // in the editor's file goes, and the editor shows the copy when it lists it.
    std::unique_ptr<CQuibWord> word = std::move(m_newWord);
    const std::int32_t id = word->GetID();
    word->CMyRes::Remove(-1, -1);
    m_current = nullptr;
    auto* copy = static_cast<CQuibWord*>(theWordIndex.Find(m_editorFile, m_editorLanguage & 0xFF, id));
    if (copy)
        m_tree->RefreshWordItem(copy);
    makeCurrent(copy);
}

void CQuibW_Frame::moveToEditorCopy(CQuibWord* saved)
{
    auto* copy =
        static_cast<CQuibWord*>(theWordIndex.Find(m_editorFile, m_editorLanguage & 0xFF, saved->GetID()));
    if (!copy) {
        m_view->RefreshSheet();
        return;
    }
    m_tree->RefreshWordItem(copy);
    makeCurrent(copy);
}

void CQuibW_Frame::RevertWord()
{
    if (!m_current)
        return;
    if (isNewWord(m_current)) {
        CQuibWord::Remove(m_current, false);
        releaseDyingWord();
        makeCurrent(nullptr);
        return;
    }
    m_view->SetChanged(false);
    m_view->Sheet().RevertPages();
    m_current->Load();
    m_view->RefreshSheet();
    makeCurrent(nullptr);
}

void CQuibW_Frame::EditOwnCopy()
{
    if (!m_current)
        return;
    if (auto* own = static_cast<CQuibWord*>(
            theWordIndex.Find(m_editorFile, m_editorLanguage & 0xFF, m_current->GetID())))
        SelectWord(own);
}

// ---- New and removed words ----------------------------------------------------------------------------

void CQuibW_Frame::NewWord()
{
    std::int32_t id = kNoItemId;
    if (WordEditorEditing())
        id = NewSystemItemId();
    else if (WordEditorTranslating())
        id = NewItemId();
    const std::int32_t type = MakeWordType(std::int16_t(m_editorLanguage));
    // No id (kNoItemId as well as 0) makes no record.
    if (id <= 0 || FindFreeResId(&id, m_editorFile, type) != RES_OK || id <= 0) {
        MessageBoxById(kStrNoFreeWordId, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION);
        return;
    }
    if (!SelectWord(nullptr) || m_current)
        return;
    auto word = std::make_unique<CQuibWord>();
    if (const int code = word->SaveAs(id, m_editorFile, type); code != RES_OK) {
        MessageBoxById(kStrCannotStoreWord, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       QStringLiteral("%1 (%2)").arg(GetResFilePath(m_editorFile)).arg(code));
        return;
    }
    m_newWord = std::move(word);
    makeCurrent(m_newWord.get());
    m_view->SetChanged(false);
}

void CQuibW_Frame::RemoveCurrentWord()
{
    if (!m_current || !m_editable)
        return;
    CQuibWord::Remove(m_current, true);
    releaseDyingWord();
}

void CQuibW_Frame::RemoveListedWords()
{
    bool refused = false;
    const int removed = ForEachListedWord([this](CQuibWord* word) {
        // Only the editor's own words go: a data file's words are never deleted from their file.
        if (word->GetFile() != m_editorFile)
            return false;
        return CQuibWord::Remove(word, false);
    });
    if (m_current)
        refused = true; // the deselection was refused: nothing was visited
    if (!refused)
        MessageBoxById(kStrWordsRemoved, lumivo::ui::MB_OK, QString::number(removed));
}

int CQuibW_Frame::ForEachListedWord(const std::function<bool(CQuibWord*)>& visit)
{
    if (visit && !SelectWord(nullptr))
        return 0;
    // Taken after the deselection, whose save may have replaced words of the list.
    std::vector<CQuibWord*> words;
    m_tree->forEachObject(
        [&words](const QString&, void* object) { words.push_back(static_cast<CQuibWord*>(object)); });
    if (!visit)
        return int(words.size());
    int counted = 0;
    for (CQuibWord* word : words)
        if (visit(word))
            ++counted;
    return counted;
}

// ---- The list -----------------------------------------------------------------------------------------

std::vector<GroupedName> CQuibW_Frame::gatherListedWords(const std::vector<ListedMap>& maps, int count,
                                                         CProgressWnd& progress)
{
    // The words are loaded and filtered with the person's input let through; the list is then filled
    // at once, a few milliseconds even for a large vocabulary. The input is let through by time, not
    // by count: each visit redraws the progress window, so visiting often would be most of the work.
    std::vector<GroupedName> listed;
    listed.reserve(std::size_t(count));
    QElapsedTimer sincePump;
    sincePump.start();
    int sinceStep = 0;
    int shownFile = 0;
    for (const auto& [file, words] : maps) {
        if (file != shownFile) {
            shownFile = file;
            progress.SetText(GetResFilePath(file));
        }
        for (const auto& [id, object] : *words) {
            auto* word = static_cast<CQuibWord*>(object);
            if (m_tree->LoadAndFilter(word))
                listed.push_back(m_tree->ListedNameOf(word));
            ++sinceStep;
            if (sinceStep % kWordsBetweenClockLooks != 0 || sincePump.elapsed() < kMillisecondsBetweenPumps)
                continue;
            progress.OffsetPos(std::exchange(sinceStep, 0));
            sincePump.restart();
            if (!progress.PeekAndPump())
                return listed;
        }
    }
    return listed;
}

void CQuibW_Frame::RebuildWordList()
{
    CProgressWnd progress(this, LoadSystemString(kStrUpdatingIndex));
    if (!SaveCurrentWord(true) || !SelectWord(nullptr))
        return;
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    std::vector<int> files;
    if (m_showDataFiles)
        files = theDataFiles;
    if (m_showEditorFile && std::find(files.begin(), files.end(), m_editorFile) == files.end())
        files.push_back(m_editorFile);
    std::vector<int> languages;
    if (m_editorLanguage != 0)
        languages.push_back(m_editorLanguage);
    if (m_secondLanguage != 0 && m_secondLanguage != m_editorLanguage)
        languages.push_back(m_secondLanguage);
    // The maps of the words to list, file by file, in the order they are listed.
    std::vector<ListedMap> maps;
    int count = 0;
    for (const int file : files) {
        const bool listed = file == m_editorFile ? m_showEditorFile : m_showDataFiles;
        for (const int language : languages) {
            const CQuibObjIndex::FileMap* words = theWordIndex.GetFileMap(file, language & 0xFF);
            if (!words || !listed)
                continue;
            maps.emplace_back(file, words);
            count += int(words->size());
        }
    }
    progress.SetRange(0, count, 1);
    std::vector<GroupedName> listed = gatherListedWords(maps, count, progress);
    m_tree->fillGrouped(std::move(listed));
    m_tree->setUpdatesEnabled(true);
    m_listStale = false;
}
