#include "authoring/BgSheetPages.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgSheetView.h"
#include "core/Page.h"
#include "core/UserLevel.h"
#include "platform/ui/FormRows.h"
#include "store/ResourceManager.h"
#include "system/SystemStrings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace
{

constexpr int kLanguageNamesBase = 10000; // system string 10000 + n names language n
const QString kStoredTimeFormat = QStringLiteral("%d/%m/%y %H:%M:%S");

QLabel* addValueRow(QFormLayout& form, int labelId, const char* name)
{
    auto* value = new QLabel;
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form.addRow(LoadSystemString(labelId), value);
    return value;
}

QString storedTimeOf(CQuibBg& page)
{
    CTime stamp;
    if (GetResourceTime(&page, &stamp) != RES_OK)
        return {};
    return stamp.Format(kStoredTimeFormat);
}

} // namespace

// ---- Basic properties ---------------------------------------------------------------------------

CQuibBg_BasicPage::CQuibBg_BasicPage(CQuibBg_Frame& frame)
    : PropertyPage(LoadSystemString(kStrBasicPageTab)), m_frame(frame)
{
}

void CQuibBg_BasicPage::OnInitDialog(QWidget& page)
{
    auto* form = new QFormLayout(&page);
    m_name = addNamedRow(*form, LoadSystemString(kStrWrittenText), new QLineEdit, "bgNameEdit");
    m_id = addValueRow(*form, kStrWordId, "bgIdText");
    m_language = addValueRow(*form, kStrLanguageLabel, "bgLanguageText");
    m_file = new QLineEdit;
    m_file->setObjectName(QStringLiteral("bgFileText"));
    m_file->setReadOnly(true);
    form->addRow(LoadSystemString(kStrFileLabel), m_file);
    m_updated = addValueRow(*form, kStrLastUpdated, "bgUpdatedText");
    QObject::connect(m_name, &QLineEdit::textEdited, [this](const QString& text) { onNameEdited(text); });
}

bool CQuibBg_BasicPage::DoDataExchange(bool save)
{
    CQuibBg* page = m_frame.CurrentBackground();
    if (save) {
        if (page && m_frame.IsEditable())
            page->Name = m_name->text();
        return true;
    }
    m_name->setText(page ? page->Name : QString());
    m_name->setEnabled(page && m_frame.IsEditable());
    m_id->setText(QString::number(page ? page->GetID() : 0));
    if (!page) {
        m_language->clear();
        m_file->clear();
        m_updated->clear();
        return true;
    }
    m_language->setText(LoadSystemString(kLanguageNamesBase + GetBgTypeLanguage(page->GetType())));
    m_file->setText(GetResFilePath(page->GetFile()));
    m_file->setCursorPosition(0);
    m_updated->setText(storedTimeOf(*page));
    return true;
}

void CQuibBg_BasicPage::onNameEdited(const QString& text)
{
    // The page takes the name at once, so that a refresh of the sheet (a commit elsewhere) shows it
    // still; Cancel and the save question's No read the page back from its file.
    if (CQuibBg* page = m_frame.CurrentBackground(); page && m_frame.IsEditable())
        page->Name = text;
    SetModified(true);
    SetBgSheetChanged(m_frame, true);
}

// ---- Userlevels -----------------------------------------------------------------------------------

CQuibBg_ULPage::CQuibBg_ULPage(CQuibBg_Frame& frame)
    : PropertyPage(LoadSystemString(kStrUserLevelPageTab)), m_frame(frame)
{
}

void CQuibBg_ULPage::OnInitDialog(QWidget& page)
{
    auto* layout = new QVBoxLayout(&page);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("bgUserLevelList"));
    layout->addWidget(m_list);
    FillList();
}

void CQuibBg_ULPage::FillList()
{
    if (!m_list)
        return;
    m_list->clear();
    CQuibUserLevelMap levels;
    const auto language = static_cast<std::uint16_t>(m_frame.PrimaryLanguage());
    if (BackgroundEditorTranslating())
        AddUserLevelsOfDataFiles(levels, language);
    if (BackgroundEditorEditing())
        AddUserLevelsOfUserFile(levels, language);
    for (const auto& [number, level] : levels) {
        auto* item = new QListWidgetItem(level->Name, m_list);
        item->setData(Qt::UserRole, number);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

bool CQuibBg_ULPage::DoDataExchange(bool save)
{
    if (!save)
        m_list->setEnabled(m_frame.CurrentBackground() && m_frame.IsEditable());
    return true;
}
