#include "admin/PaneSettingsPages.h"

#include "admin/UserSettingsSheet.h"
#include "admin/UserSettingsStrings.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "shell/Reload.h"
#include "store/Registry.h"
#include "store/Utility.h"
#include "system/SystemStrings.h"
#include "system/UtilityNotices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace
{

constexpr int kStartPageLabel = 9328;
constexpr int kColorLabel = 9329;
constexpr int kSpotMarkerText = 9362;
constexpr int kPageNotFound = 9412;
constexpr int kMaxSentencesRange = 9363;
constexpr int kMaxSentencesBelowHeld = 9364;
constexpr int kPrinterButtonGroup = 9392;
constexpr int kCompletionEntries = 7;
constexpr int kShownFolderLength = 30;
constexpr std::uint32_t kReloadPanesAndUser = kReloadPanes | kReloadUserSettings;
constexpr std::uint32_t kSpotMarkerBit = 0x1;

// A system string with its "%d" filled in.
QString textWithNumber(int id, int number)
{
    return SheetText(id).replace(QLatin1String("%d"), QString::number(number));
}

QLabel* addLabelledRow(QGridLayout& grid, int row, int textId, QWidget* field, QWidget& page)
{
    QLabel* label = NewSheetLabel(textId, &page);
    label->setBuddy(field);
    grid.addWidget(label, row, 0);
    grid.addWidget(field, row, 1, 1, 2);
    return label;
}

// Runs `leave` when the keyboard focus leaves the widget for another control of the window; not when
// the window itself loses the focus (to a message box, say), which is no move of the person's.
class FocusLeaveFilter : public QObject
{
public:
    FocusLeaveFilter(QObject* parent, std::function<void()> leave)
        : QObject(parent), m_leave(std::move(leave))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason)
                m_leave();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_leave;
};

} // namespace

// ---- The family ------------------------------------------------------------------------------------

CQuibUS_ViewPage::CQuibUS_ViewPage(CQuibUS_PropSheet& sheet, Pane pane) : CQuibUS_Page(sheet), m_pane(pane) {}

CQuibPaneSettings* CQuibUS_ViewPage::Settings() const
{
    CQuibUser* user = User();
    if (!user)
        return nullptr;
    switch (m_pane) {
    case Pane::Main:
        return &user->MainPane;
    case Pane::Navigator:
        return &user->NavigatorPane;
    case Pane::Word:
        return &user->WordPane;
    case Pane::Writer:
        return &user->WriterPane;
    case Pane::Info:
        return &user->InfoPane;
    }
    return nullptr;
}

// The navigator's start page shows at once; the other panes take theirs with the user settings and
// show it at the next start.
std::uint32_t CQuibUS_ViewPage::StartPageReport() const
{
    return m_pane == Pane::Navigator ? kReloadPanesAndUser : 0;
}

void CQuibUS_ViewPage::LoadFromUser()
{
    if (const CQuibPaneSettings* settings = Settings()) {
        m_startPage = static_cast<std::uint32_t>(settings->StartPage);
        m_color = settings->Color;
    }
}

void CQuibUS_ViewPage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* grid = new QGridLayout(&page);
    m_startCombo = new QComboBox(&page);
    m_startCombo->setObjectName(QStringLiteral("startPage"));
    m_startCombo->setEditable(true);
    m_startCombo->setInsertPolicy(QComboBox::NoInsert);
    m_startCombo->setCompleter(nullptr); // the page completes the names itself
    m_startCombo->setMinimumContentsLength(24);
    addLabelledRow(*grid, 0, kStartPageLabel, m_startCombo, page);
    m_colorCombo = new CColorCombo(&page);
    m_colorCombo->setObjectName(QStringLiteral("paneColor"));
    m_colorCombo->SetShowSwatch(true);
    addLabelledRow(*grid, 1, kColorLabel, m_colorCombo, page);
    AddOwnControls(page, *grid, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(grid->rowCount(), 1);

    QObject::connect(m_startCombo->lineEdit(), &QLineEdit::textEdited, &page,
                     [this](const QString& typed) { OnStartPageEdited(typed); });
    ReportChoices(*m_startCombo, StartPageReport());
    QObject::connect(m_colorCombo, &QComboBox::activated, &page, [this] { OnColorChosen(); });
    FillSheetColorCombo(*m_colorCombo, PropSheet().ColorMap(), m_color);
}

void CQuibUS_ViewPage::AddOwnControls(QWidget&, QGridLayout&, int) {}

bool CQuibUS_ViewPage::DoDataExchange(bool save)
{
    if (!save) {
        FillStartPageText();
        return true;
    }
    // The text names the page only when it is one of the listed names exactly. An empty list leaves
    // the start page as it was (a page that could not be found keeps its id while its text stays),
    // unless the text is empty too: what shows as no page is no page.
    if (m_startCombo->count() == 0) {
        if (m_startCombo->currentText().isEmpty())
            m_startPage = 0;
        return true;
    }
    const int index = std::max(m_startCombo->currentIndex(), 0);
    m_startPage = m_startCombo->itemText(index) == m_startCombo->currentText()
                      ? m_startCombo->itemData(index).toUInt()
                      : 0;
    return true;
}

void CQuibUS_ViewPage::FillStartPageText()
{
    QString text;
    if (m_startPage != 0) {
        const auto id = static_cast<std::int32_t>(m_startPage);
        if (const CQuibBg* loaded = FindLoadedBackground(id)) {
            text = loaded->Name;
        } else if (auto found = FindBackgroundById(id, 1); found && found->Load() == RES_OK) {
            text = found->Name;
        } else {
            text = textWithNumber(kPageNotFound, id);
        }
    }
    m_startCombo->setEditText(text);
    m_shownText = text;
    m_typedLength = static_cast<int>(text.size());
}

void CQuibUS_ViewPage::OnSetActive()
{
    // Colours defined on the Profile page since are offered too.
    FillSheetColorCombo(*m_colorCombo, PropSheet().ColorMap(), m_color);
    CQuibUS_Page::OnSetActive();
}

void CQuibUS_ViewPage::OnOK()
{
    if (CQuibPaneSettings* settings = Settings()) {
        settings->StartPage = static_cast<std::int32_t>(m_startPage);
        settings->Color = m_color;
    }
}

// Every edit lists the page names that begin with the text and completes the text to the first, with
// the completed tail selected so that typing goes on over it. An edit that only took letters away
// (Backspace over the completed tail) is not completed again, or no letter could ever be taken away.
void CQuibUS_ViewPage::OnStartPageEdited(const QString& typed)
{
    QLineEdit& edit = *m_startCombo->lineEdit();
    const int caret = edit.cursorPosition();
    const bool deleting = typed.size() <= m_typedLength && m_shownText.startsWith(typed);
    m_startCombo->clear();
    const QString first = FillPageNameCombo(*m_startCombo, typed, kCompletionEntries);
    const QString text = deleting ? typed : first;
    m_startCombo->setEditText(text);
    if (!deleting && !text.isEmpty())
        edit.setSelection(caret, static_cast<int>(text.size()) - caret);
    m_shownText = text;
    m_typedLength = static_cast<int>(std::min(typed.size(), text.size()));
    UpdateData(true);
    Report(StartPageReport());
}

void CQuibUS_ViewPage::OnColorChosen()
{
    if (TakeSheetColor(*m_colorCombo, m_color))
        Report(kReloadPanesAndUser);
}

// ---- The main pane ---------------------------------------------------------------------------------

namespace
{

constexpr int kDeletedFolderLabel = 9406;
constexpr int kDeletedFolderPrompt = 9407;
constexpr int kPrimaryFolderLabel = 9408;
constexpr int kSecondaryFolderPrompt = 9409;
constexpr int kSecondaryFolderLabel = 9410;
constexpr int kPrimaryFolderPrompt = 9411;

} // namespace

CQuibUS_MainViewPage::CQuibUS_MainViewPage(CQuibUS_PropSheet& sheet) : CQuibUS_ViewPage(sheet, Pane::Main) {}

void CQuibUS_MainViewPage::LoadFromUser()
{
    CQuibUS_ViewPage::LoadFromUser();
    if (const CQuibUser* user = User()) {
        m_optionFlags = user->MainPane.SecondColor;
        m_deletedFolder.path = user->DeletedPicturesFolder;
        m_pictureFolder.path = user->PictureFolder;
        m_pictureFolder2.path = user->PictureFolder2;
    }
}

void CQuibUS_MainViewPage::AddOwnControls(QWidget& page, QGridLayout& grid, int row)
{
    m_spotBox = new QCheckBox(SheetText(kSpotMarkerText), &page);
    grid.addWidget(m_spotBox, row++, 0, 1, 3);
    ReportClicks(*m_spotBox, kReloadPanesAndUser);
    const struct {
        Folder* folder;
        int label;
        int prompt;
        const char* name;
    } rows[] = {{&m_deletedFolder, kDeletedFolderLabel, kDeletedFolderPrompt, "deletedPictures"},
                {&m_pictureFolder, kPrimaryFolderLabel, kPrimaryFolderPrompt, "pictureFolder"},
                {&m_pictureFolder2, kSecondaryFolderLabel, kSecondaryFolderPrompt, "pictureFolder2"}};
    for (const auto& each : rows) {
        auto* shown = new QLineEdit(&page);
        shown->setObjectName(QLatin1String(each.name));
        shown->setReadOnly(true);
        shown->setFocusPolicy(Qt::NoFocus);
        auto* browse = new QToolButton(&page);
        browse->setObjectName(QLatin1String(each.name) + QStringLiteral("Button"));
        browse->setIcon(page.style()->standardIcon(QStyle::SP_DirOpenIcon));
        browse->setToolTip(SheetText(kTextChooseFolder));
        browse->setAccessibleName(SheetText(each.label));
        QLabel* label = NewSheetLabel(each.label, &page);
        label->setBuddy(browse);
        grid.addWidget(label, row, 0);
        grid.addWidget(shown, row, 1);
        grid.addWidget(browse, row++, 2);
        each.folder->shown = shown;
        Folder* folder = each.folder;
        const int prompt = each.prompt;
        QObject::connect(browse, &QToolButton::clicked, &page,
                         [this, folder, prompt] { BrowseFolder(*folder, prompt); });
    }
}

bool CQuibUS_MainViewPage::DoDataExchange(bool save)
{
    if (!CQuibUS_ViewPage::DoDataExchange(save))
        return false;
    if (save) {
        m_optionFlags =
            m_spotBox->isChecked() ? (m_optionFlags | kSpotMarkerBit) : (m_optionFlags & ~kSpotMarkerBit);
        return true;
    }
    m_spotBox->setChecked(m_optionFlags & kSpotMarkerBit);
    for (Folder* folder : {&m_deletedFolder, &m_pictureFolder, &m_pictureFolder2}) {
        folder->shown->setText(AbbreviatePath(folder->path, kShownFolderLength));
        folder->shown->setToolTip(folder->path);
    }
    return true;
}

void CQuibUS_MainViewPage::BrowseFolder(Folder& folder, int promptId)
{
    QString chosen;
    if (!BrowseForFolder(chosen, GetWidget(), SheetText(promptId), {}, folder.path))
        return;
    folder.path = chosen;
    Report(0);
    UpdateData(false);
}

void CQuibUS_MainViewPage::OnOK()
{
    CQuibUS_ViewPage::OnOK();
    if (CQuibUser* user = User()) {
        user->MainPane.SecondColor = m_optionFlags;
        user->DeletedPicturesFolder = m_deletedFolder.path;
        user->PictureFolder = m_pictureFolder.path;
        user->PictureFolder2 = m_pictureFolder2.path;
    }
}

// ---- The writer pane -------------------------------------------------------------------------------

CQuibUS_WriterViewPage::CQuibUS_WriterViewPage(CQuibUS_PropSheet& sheet)
    : CQuibUS_ViewPage(sheet, Pane::Writer)
{
}

void CQuibUS_WriterViewPage::LoadFromUser()
{
    CQuibUS_ViewPage::LoadFromUser();
    if (const CQuibUser* user = User()) {
        m_maxSentences = user->MaxSentences;
        m_printMode = static_cast<std::uint32_t>(user->SecondPrintMode);
    }
}

void CQuibUS_WriterViewPage::AddOwnControls(QWidget& page, QGridLayout& grid, int row)
{
    m_maxEdit = new QLineEdit(&page);
    m_maxEdit->setObjectName(QStringLiteral("maxSentences"));
    m_maxEdit->setMaxLength(6);
    m_maxEdit->setMaximumWidth(m_maxEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    QLabel* label = NewSheetLabel(kTextMaxSentences, &page);
    label->setBuddy(m_maxEdit);
    grid.addWidget(label, row, 0);
    grid.addWidget(m_maxEdit, row++, 1, Qt::AlignLeft);
    m_maxEdit->installEventFilter(new FocusLeaveFilter(m_maxEdit, [this] {
        UpdateData(true);
        if (!ValidateMaxSentences())
            QTimer::singleShot(0, m_maxEdit, [edit = m_maxEdit] {
                edit->setFocus();
                edit->selectAll();
            });
    }));

    auto* group = new QGroupBox(SheetText(kPrinterButtonGroup), &page);
    auto* groupLayout = new QHBoxLayout(group);
    m_printCombo = new QComboBox(group);
    m_printCombo->setObjectName(QStringLiteral("printButtonMode"));
    AddStringItems(*m_printCombo, {5028, 5029, 5030, 5031, 5032});
    groupLayout->addWidget(m_printCombo);
    grid.addWidget(group, row, 0, 1, 3);
    QObject::connect(m_printCombo, &QComboBox::activated, &page, [this] { OnPrintModeChosen(); });
}

bool CQuibUS_WriterViewPage::DoDataExchange(bool save)
{
    if (!CQuibUS_ViewPage::DoDataExchange(save))
        return false;
    if (!save) {
        m_maxEdit->setText(QString::number(m_maxSentences));
        SelectItemByValue(*m_printCombo, static_cast<int>(m_printMode));
    }
    return true;
}

bool CQuibUS_WriterViewPage::ValidateMaxSentences()
{
    const int typed = StringToInt(m_maxEdit->text());
    if (typed == m_maxSentences)
        return true;
    if (typed > kMostSentences || typed < 1) {
        ShowMessage(textWithNumber(kMaxSentencesRange, kMostSentences), lumivo::ui::MB_ICONEXCLAMATION);
        return false;
    }
    const CQuibUser* user = User();
    const int held = user ? static_cast<int>(user->Sentences.size()) : 0;
    if (typed < held) {
        ShowMessage(textWithNumber(kMaxSentencesBelowHeld, held), lumivo::ui::MB_ICONEXCLAMATION);
        return false;
    }
    m_maxSentences = typed;
    Report(kReloadPanesAndUser);
    return true;
}

bool CQuibUS_WriterViewPage::OnKillActive()
{
    return CQuibUS_ViewPage::OnKillActive() && ValidateMaxSentences();
}

void CQuibUS_WriterViewPage::OnPrintModeChosen()
{
    const auto chosen = static_cast<std::uint32_t>(SelectedValue(*m_printCombo));
    if (chosen == m_printMode)
        return;
    m_printMode = chosen;
    Report(0);
    UpdateData(false);
}

void CQuibUS_WriterViewPage::OnOK()
{
    CQuibUS_ViewPage::OnOK();
    if (CQuibUser* user = User()) {
        user->MaxSentences = m_maxSentences;
        user->SecondPrintMode = static_cast<std::int32_t>(m_printMode);
    }
}
