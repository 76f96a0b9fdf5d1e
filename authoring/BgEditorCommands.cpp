// The page editor's commands on text files: import page names, export a page's words, save the list of
// the pages the tree shows.

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgEditorLists.h"
#include "authoring/BgTreeView.h"
#include "core/Page.h"
#include "platform/types/Time.h"
#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"

namespace
{

constexpr int kExportTitle = 9011;
const QString kTextSuffix = QStringLiteral("txt");

} // namespace

void CQuibBg_Frame::ImportBackgroundNames()
{
    const std::optional<QByteArray> text = ChooseImportText(kStrImportFileFilter);
    if (!text)
        return;
    const PageImportError error = StorePageNames(PageNamesOfImport(*text), m_editorFile, m_primaryLanguage);
    if (error != PageImportError::None)
        tellFileError(messageIdOf(error), GetResFilePath(m_editorFile));
}

void CQuibBg_Frame::ExportBackgroundWords()
{
    const auto path = lumivo::ui::chooseOpenOrNewFile(LoadSystemString(kExportTitle), {},
                                                      QtFilterOf(kStrExportFileFilter), this, kTextSuffix);
    if (!path)
        return;
    WriteTextFile(*path, PageWordsText(m_current));
}

void CQuibBg_Frame::SaveBackgroundList()
{
    const CTime now = CTime::GetCurrentTime();
    const auto path = ChooseListFile(kStrSaveListTitle, PageListFileName(now));
    if (!path)
        return;
    std::vector<ListedLetter> letters;
    for (int index = 0; index < m_tree->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* root = m_tree->topLevelItem(index);
        ListedLetter& letter = letters.emplace_back(ListedLetter{root->text(0), {}});
        for (int child = 0; child < root->childCount(); ++child) {
            if (CQuibBg* page = m_tree->PageOf(root->child(child)))
                letter.pages.push_back({page->GetID(), page->Name});
        }
    }
    WriteTextFile(*path, PageListText(now, letters));
}
