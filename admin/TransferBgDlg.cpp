#include "admin/TransferBgDlg.h"

#include "admin/DialogParts.h"
#include "core/Icon.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/TreeItem.h"
#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

constexpr int kTitle = 9535;
constexpr int kNameColumn = 9536;
constexpr int kTypeColumn = 9537;
constexpr int kIdColumn = 9099;
constexpr int kLanguageColumn = 9538;
constexpr int kFileColumn = 9539;
constexpr int kExplanation = 9540;
constexpr int kTransferAll = 9541;
constexpr int kMsgNotTransferred = 9542;
constexpr int kBackgroundLabel = 9543;
constexpr int kPagePictureLabel = 9544;
constexpr int kWordLabel = 9545;
constexpr int kWordPictureLabel = 9546;
constexpr int kMsgNoOutputFile = 9548;
constexpr int kListWidth = 720;

constexpr std::initializer_list<int> kPagePictureKinds{32, 33, 34, 35, 36, 37};
constexpr std::initializer_list<int> kWordPictureKinds{1, 2, 3, 4, 5, 10, 11, 16, 17, 18, 19, 20, 21, 26, 27};

// The loaded object of the index filed under the record that was copied follows it into the output
// file, so that the index and later edits find the copy.
void followCopy(CQuibObjIndex& index, int oldFile, std::int32_t type, std::int32_t id)
{
    CMyRes* loaded = index.Find(oldFile, GetResTypeLanguage(type), id);
    if (loaded && AttachResource(loaded, id, type, theOutputFile) == RES_OK)
        index.Refile(loaded);
}

} // namespace

struct CTransferBgDlg::Row {
    CMyRes* object;
    std::unique_ptr<CMyRes> owned; // what the dialog found itself
    int label;
    QString name;
};

int messageIdOf(TransferError error)
{
    switch (error) {
    case TransferError::None:
        return 0;
    case TransferError::NoOutputFile:
        return kMsgNoOutputFile;
    case TransferError::StoreFailed:
        return kMsgNotTransferred;
    }
    return 0;
}

CTransferBgDlg::CTransferBgDlg(CQuibBg& page, QWidget* parent) : QDialog(parent), m_page(page)
{
    setObjectName(QStringLiteral("transferBgDialog"));
    setWindowTitle(LoadSystemString(kTitle));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("assetList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({LoadSystemString(kNameColumn), LoadSystemString(kTypeColumn),
                             LoadSystemString(kIdColumn), LoadSystemString(kLanguageColumn),
                             LoadSystemString(kFileColumn)});
    m_list->setMinimumWidth(kListWidth);
    lumivo::ui::FitColumnsToContents(*m_list);
    m_transfer = lumivo::admin::buttonOf(kTransferAll, "transferAllButton", this);
    // Without an output file there is nowhere to copy to.
    m_transfer->setEnabled(theOutputFile > 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_transfer);
    buttons->addStretch();
    buttons->addWidget(lumivo::admin::okCancelButtons(*this));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(LoadSystemString(kExplanation), this));
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    connect(m_transfer, &QPushButton::clicked, this, [this] { transferAll(); });
    fillList();
    m_list->setFocus(); // the list first; Tab then reaches "Transfer all"
}

CTransferBgDlg::~CTransferBgDlg() = default;

int CTransferBgDlg::RowCount() const
{
    return static_cast<int>(m_rows.size());
}

void CTransferBgDlg::addRow(CMyRes& object, int label, const QString& name, std::unique_ptr<CMyRes> owned)
{
    const std::int32_t type = object.GetType();
    const int file = object.GetFile();
    new QTreeWidgetItem(m_list, {name, LoadSystemString(label), QString::number(object.GetID()),
                                 GetLanguageName(GetResTypeLanguage(type)),
                                 file > 0 ? lumivo::files::fileNameOf(GetResFilePath(file)) : QString()});
    m_rows.push_back({&object, std::move(owned), label, name});
}

void CTransferBgDlg::addPictures(std::int32_t id, std::initializer_list<int> kinds, int label,
                                 const QString& name)
{
    for (int kind : kinds) {
        if (std::unique_ptr<CQuibPict> picture = FindPictureById(id, kind)) {
            CMyRes& found = *picture;
            addRow(found, label, name, std::move(picture));
        }
    }
}

void CTransferBgDlg::addWordsOfIcons()
{
    for (const auto& icon : m_page.Icons) {
        if (icon->WordId == 0)
            continue;
        std::unique_ptr<CQuibWord> word = FindWordById(icon->WordId);
        if (!word || word->Load() != RES_OK)
            continue;
        const std::int32_t id = word->GetID();
        const QString name = word->WordName;
        CMyRes& found = *word;
        addRow(found, kWordLabel, name, std::move(word));
        addPictures(id, kWordPictureKinds, kWordPictureLabel, name);
    }
}

void CTransferBgDlg::fillList()
{
    const QString pageName = m_page.Name;
    addRow(m_page, kBackgroundLabel, pageName);
    if (theActiveFiles.empty())
        return;
    addPictures(m_page.GetID(), kPagePictureKinds, kPagePictureLabel, pageName);
    addWordsOfIcons();
}

TransferResult CTransferBgDlg::TransferAll()
{
    TransferResult result;
    if (theOutputFile <= 0)
        return {TransferError::NoOutputFile, {}, 0};
    QStringList failed;
    for (const Row& row : m_rows) {
        CResEntry* record = row.object->GetEntry();
        if (!record)
            continue;
        const int file = GetResEntryFile(record);
        const std::int32_t id = GetResEntryId(record);
        const std::int32_t type = GetResEntryType(record);
        if (file == theOutputFile || ResourceExists(id, type, theOutputFile))
            continue;
        if (TransferResEntry(record, theOutputFile) != RES_OK) {
            failed << row.name;
            continue;
        }
        ++result.copied;
        if (row.label == kBackgroundLabel) {
            // The page shown, whether the index holds it or a pane does.
            if (AttachResource(&m_page, id, type, theOutputFile) == RES_OK && theBgIndex.Contains(&m_page))
                theBgIndex.Refile(&m_page);
        } else if (row.label == kWordLabel) {
            followCopy(theWordIndex, file, type, id);
        }
    }
    if (!failed.isEmpty())
        return {TransferError::StoreFailed, failed.join(QStringLiteral(", ")), result.copied};
    return result;
}

void CTransferBgDlg::transferAll()
{
    const TransferResult result = TransferAll();
    if (const int id = messageIdOf(result.error); id != 0)
        MessageBoxById(id, lumivo::ui::MB_ICONEXCLAMATION, result.detail);
}

void TransferBackgroundAssets(CQuibBg* page)
{
    if (!page)
        return;
    CTransferBgDlg dialog(*page, lumivo::admin::dialogOwner());
    lumivo::ui::runModal(dialog);
}
