// The word editor's menus and commands, and its commands on text files: import word names, save the
// report of the listed words, and the export (which asks for its file and writes nothing).

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditorLists.h"
#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordLists.h"
#include "authoring/WordTreeView.h"
#include "core/Word.h"
#include "platform/types/Time.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "system/SystemStrings.h"

#include <QMenu>
#include <QMenuBar>

namespace
{

constexpr int kNotImplementedText = 9034;
constexpr int kExportTitle = 9011;
const QString kTextSuffix = QStringLiteral("txt");

void tell(int messageId)
{
    MessageBoxById(messageId, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION);
}

} // namespace

// ---- Menus --------------------------------------------------------------------------------------------

void CQuibW_Frame::BuildMenus()
{
    // Built again when the language changes: the old popups go first.
    for (QAction* item : menuBar()->actions())
        delete item->menu();
    menuBar()->clear();

    QMenu* filter = AddPopup(4501);
    AddCommand(*filter, 4502, kWordShowEditorFile);
    AddCommand(*filter, 4503, kWordShowDataFiles);
    AddCommand(*filter, 4525, kWordUsedOnPages);
    AddCommand(*filter, 4505, kWordBaseFormsOnly);
    AddCommand(*filter, 4526, kWordWithoutForm);
    AddCommand(*filter, 4506, kWordWithoutPicture);
    AddCommand(*filter, 4507, kWordWithoutSound);
    AddCommand(*filter, 4504, kWordTest);
    AddCommand(*filter, 4508, kWordArchiveList);
    AddCommand(*filter, 4509, kWordRebuildList);

    QMenu* edit = AddPopup(4510);
    AddCommand(*edit, 4512, kWordNewWord);
    AddCommand(*edit, 4516, kWordRemoveWord);
    edit->addSeparator();
    AddCommand(*edit, 4517, kWordCropOnImport);
    AddCommand(*edit, 4518, kWordResizeOnImport);
    AddCommand(*edit, 4521, kWordAutoPlay);
    edit->addSeparator();
    AddCommand(*edit, 4522, kWordRemoveListed);
    AddCommand(*edit, 4523, kWordMoveListed);
    AddCommand(*edit, 4524, kWordSpecialListed);

    QMenu* special = AddPopup(4515);
    AddCommand(*special, 4513, kWordImportNames);
    AddCommand(*special, 4514, kWordExportWords);
    AddCommand(*special, 4066, kWordImportPictures);
    AddCommand(*special, 4067, kWordImportSounds);
    AddCommand(*special, 4068, kWordImportClips);
    RouteMenus();
}

// ---- Commands -----------------------------------------------------------------------------------------

bool CQuibW_Frame::OnCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    return runFilterCommand(id, code, update) || runEditCommand(id, code, update) ||
           runListCommand(id, code, update) || runOutputFileCommand(id, code, update);
}

bool CQuibW_Frame::toggleOption(std::uint16_t bit, int code, lumivo::ui::CommandUpdate* update)
{
    return AnswerCommand(code, update, true, (m_options & bit) != 0, [this, bit] {
        m_options ^= bit;
        m_listStale = true;
    });
}

bool CQuibW_Frame::runFilterCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    switch (id) {
    case kWordShowEditorFile:
        return AnswerCommand(code, update, true, m_showEditorFile, [this] {
            m_showEditorFile = !m_showEditorFile;
            m_listStale = true;
        });
    case kWordShowDataFiles:
        return AnswerCommand(code, update, true, m_showDataFiles, [this] {
            m_showDataFiles = !m_showDataFiles;
            m_listStale = true;
        });
    case kWordBaseFormsOnly:
        return toggleOption(kWordFilterBaseForms, code, update);
    case kWordWithoutPicture:
        return toggleOption(kWordFilterNoPicture, code, update);
    case kWordWithoutSound:
        return toggleOption(kWordFilterNoSound, code, update);
    case kWordUsedOnPages:
        return toggleOption(kWordFilterOnPages, code, update);
    case kWordWithoutForm:
        return toggleOption(kWordFilterNoForm, code, update);
    case kWordTest:
        return AnswerCommand(code, update, true, std::nullopt,
                             [] { MessageBoxById(kStrTestChosen, lumivo::ui::MB_OK); });
    case kWordRebuildList:
        return AnswerCommand(code, update, m_listStale, std::nullopt, [this] { RebuildWordList(); });
    default:
        return false;
    }
}

bool CQuibW_Frame::runEditCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    switch (id) {
    case kWordNewWord:
        return AnswerCommand(code, update, true, std::nullopt, [this] { NewWord(); });
    case kWordRemoveWord:
        return AnswerCommand(code, update, m_current && m_editable, std::nullopt,
                             [this] { RemoveCurrentWord(); });
    case kWordCropOnImport:
    case kWordResizeOnImport: {
        // Crop and resize exclude each other: choosing one clears the other.
        const std::uint16_t bit = id == kWordCropOnImport ? kWordOptionCrop : kWordOptionResize;
        const std::uint16_t other = id == kWordCropOnImport ? kWordOptionResize : kWordOptionCrop;
        return AnswerCommand(code, update, true, (m_options & bit) != 0, [this, bit, other] {
            if (!(m_options & bit))
                m_options = std::uint16_t((m_options | bit) & ~other);
        });
    }
    case kWordAutoPlay:
        return AnswerCommand(code, update, true, (m_options & kWordOptionAutoPlay) != 0,
                             [this] { m_options ^= kWordOptionAutoPlay; });
    default:
        return false;
    }
}

bool CQuibW_Frame::runListCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    switch (id) {
    case kWordArchiveList:
        return AnswerCommand(code, update, true, std::nullopt, [this] { ArchiveShownWordList(); });
    case kWordImportNames:
        return AnswerCommand(code, update, WordEditorTranslating(), std::nullopt,
                             [this] { ImportWordsFromText(); });
    case kWordExportWords:
        return AnswerCommand(code, update, WordEditorTranslating(), std::nullopt,
                             [this] { ExportWordsToText(); });
    case kWordRemoveListed:
        return AnswerCommand(code, update, m_tree->topLevelItemCount() > 0 && ForEachListedWord() > 0,
                             std::nullopt, [this] { RemoveListedWords(); });
    case kWordMoveListed:
    case kWordSpecialListed:
        return AnswerCommand(code, update, m_tree->topLevelItemCount() > 0 && ForEachListedWord() > 0,
                             std::nullopt, [] { tell(kNotImplementedText); });
    default:
        return false;
    }
}

bool CQuibW_Frame::runOutputFileCommand(int id, int code, lumivo::ui::CommandUpdate* update)
{
    if (id != kWordImportPictures && id != kWordImportSounds && id != kWordImportClips)
        return false;
    // The imports belong to the output-file commands; the editor offers them in translation mode only.
    if (!WordEditorTranslating())
        return AnswerCommand(code, update, false, std::nullopt, [] {});
    return theOutputFileCommandHook(UINT(id), code, update);
}

// ---- Text files ---------------------------------------------------------------------------------------

void CQuibW_Frame::ImportWordsFromText()
{
    if (!SelectWord(nullptr))
        return;
    // A file that cannot be read ends the import.
    const std::optional<QByteArray> text = ChooseImportText(kStrImportFileFilter);
    if (!text)
        return;
    const WordImportResult result =
        ImportWordNames(WordNamesOfImport(*text), m_editorFile, m_editorLanguage,
                        [this](CQuibWord* word) { m_tree->RefreshWordItem(word); });
    for (const WordImportIssue& issue : result.issues)
        MessageBoxById(issue.messageId, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION, issue.detail);
    if (result.error != WordImportError::None)
        tell(messageIdOf(result.error));
}

std::vector<ListedWordGroup> CQuibW_Frame::listedWordGroups() const
{
    std::vector<ListedWordGroup> groups;
    for (int index = 0; index < m_tree->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* root = m_tree->topLevelItem(index);
        ListedWordGroup& group = groups.emplace_back(ListedWordGroup{root->text(0), {}});
        for (int child = 0; child < root->childCount(); ++child) {
            if (CQuibWord* word = CQuibW_TreeView::WordOf(root->child(child)))
                group.words.push_back({word->GetID(), word->WordName, word->WordForm});
        }
    }
    return groups;
}

void CQuibW_Frame::ArchiveShownWordList()
{
    const CTime now = CTime::GetCurrentTime();
    const auto path = ChooseListFile(kStrSaveWordListTitle, PageListFileName(now));
    if (!path)
        return;
    WriteTextFile(*path, WordListText(now, listedWordGroups()));
}

void CQuibW_Frame::ExportWordsToText()
{
    // The names go out in the form the import reads, so a list translated outside comes back in.
    const auto path = lumivo::ui::chooseOpenOrNewFile(LoadSystemString(kExportTitle), {},
                                                      QtFilterOf(kStrExportFileFilter), this, kTextSuffix);
    if (path)
        WriteTextFile(*path, WordNamesText(listedWordGroups()));
}
