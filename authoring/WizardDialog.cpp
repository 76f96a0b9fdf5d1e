#include "authoring/WizardDialog.h"

#include "platform/ui/Ui.h"
#include "store/StoredFont.h"
#include "system/SystemStrings.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

// Room enough for the largest page of the program's wizards, so the window does not jump as pages
// are built one after the other.
constexpr int kPlaceholderWidth = 500;
constexpr int kPlaceholderHeight = 330;

// Every page shows black on white, whatever colours the desktop uses.
void paintBlackOnWhite(QWidget& widget)
{
    QPalette palette = widget.palette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, Qt::white);
    // Disabled controls keep the style's grey text, so that a button that does nothing looks it.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, Qt::black);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QLabel* wrappingLabel(const QString& text, const char* name)
{
    auto* label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

QString FillPlaceholders(const QString& text, const QStringList& values)
{
    QString filled;
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool placeholder =
            text.at(i) == u'%' && i + 1 < text.size() && (text.at(i + 1) == u'd' || text.at(i + 1) == u's');
        if (placeholder && next < values.size()) {
            filled += values.at(next++);
            ++i;
        } else {
            filled += text.at(i);
        }
    }
    return filled;
}

// ---- The page ---------------------------------------------------------------------------------------

CWizardPage::CWizardPage() = default;

CWizardPage::~CWizardPage()
{
    destroyWindow();
}

QFont CWizardPage::TitleFont()
{
    LOGFONT title;
    title.lfHeight = -16;
    title.lfWeight = FW_BOLD;
    title.lfFaceName = QStringLiteral("MS Sans Serif");
    return CStoredFont(title).GetFont();
}

bool CWizardPage::createWindow(QWidget& placeholder)
{
    auto* widget = new QWidget(&placeholder);
    widget->hide();
    paintBlackOnWhite(*widget);
    m_widget = widget;
    placeholder.layout()->addWidget(widget);
    OnInitDialog(*widget);
    m_created = true;
    UpdateData(false);
    return true;
}

void CWizardPage::destroyWindow()
{
    delete m_widget.data();
    m_widget = nullptr;
    m_title = m_description = m_footer = nullptr;
    m_created = false;
    m_active = false;
}

void CWizardPage::UpdateData(bool save)
{
    if (m_widget)
        DoDataExchange(save);
}

void CWizardPage::SetComplete(bool complete)
{
    m_complete = complete;
    if (m_owner)
        m_owner->UpdateFinish();
}

void CWizardPage::SetCanFinish(bool canFinish)
{
    m_canFinish = canFinish;
    if (m_owner)
        m_owner->UpdateFinish();
}

QVBoxLayout* CWizardPage::BuildFrame(QWidget& page, const QString& title, const QString& description)
{
    auto* column = new QVBoxLayout(&page);
    m_title = wrappingLabel(title, "wizardPageTitle");
    m_title->setFont(TitleFont());
    m_description = wrappingLabel(description, "wizardPageDescription");
    column->addWidget(m_title);
    column->addWidget(m_description);
    auto* controls = new QVBoxLayout;
    column->addLayout(controls, 1);
    m_footer = wrappingLabel(QString(), "wizardPageFooter");
    column->addWidget(m_footer);
    return controls;
}

QPushButton* CWizardPage::AddButton(QVBoxLayout& controls, int textId, const char* name)
{
    auto* button = new QPushButton(LoadSystemString(textId));
    button->setObjectName(QString::fromLatin1(name));
    controls.addWidget(button, 0, Qt::AlignLeft);
    return button;
}

void CWizardPage::SetFooterByButtons(int bothText, int nextOnlyText, int finishOnlyText, int neitherText)
{
    if (!m_footer || !m_owner)
        return;
    const bool next = m_owner->IsNextEnabled();
    const bool finish = m_owner->IsFinishEnabled();
    const int id = next ? (finish ? bothText : nextOnlyText) : (finish ? finishOnlyText : neitherText);
    m_footer->setText(LoadSystemString(id));
}

// ---- The wizard -------------------------------------------------------------------------------------

CWizardDialog::CWizardDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("wizardDialog"));
    auto* column = new QVBoxLayout(this);
    m_placeholder = new QWidget;
    m_placeholder->setObjectName(QStringLiteral("wizardPlaceholder"));
    m_placeholder->setMinimumSize(kPlaceholderWidth, kPlaceholderHeight);
    auto* pages = new QVBoxLayout(m_placeholder);
    pages->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_placeholder, 1);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const auto addButton = [&](const char* name) {
        auto* button = new QPushButton;
        button->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(button);
        return button;
    };
    m_back = addButton("wizardBack");
    m_next = addButton("wizardNext");
    m_finish = addButton("wizardFinish");
    m_cancel = addButton("wizardCancel");
    column->addLayout(buttons);
    connect(m_back, &QPushButton::clicked, this, [this] { OnBack(); });
    connect(m_next, &QPushButton::clicked, this, [this] { OnNext(); });
    connect(m_finish, &QPushButton::clicked, this, [this] { OnFinish(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    m_back->setEnabled(false);
    m_next->setEnabled(false);
    m_finish->setEnabled(false);
}

// The pages are members of the derived wizard and are gone by now; each took its controls with it.
CWizardDialog::~CWizardDialog() = default;

void CWizardDialog::AddPage(CWizardPage* page, int templateId)
{
    if (!page)
        return;
    page->m_templateId = templateId;
    page->m_owner = this;
    m_pages.push_back(page);
}

void CWizardDialog::SetPlaceholder(int controlId)
{
    m_placeholderId = controlId;
}

int CWizardDialog::DoModal()
{
    m_finished = false;
    OnInitDialog();
    lumivo::ui::runModal(*this);
    OnDestroy();
    return m_finished ? kWizardFinishId : kWizardCancelId;
}

bool CWizardDialog::OnInitDialog()
{
    ShowFirstPage();
    activateWindow();
    UpdateFinish();
    return true;
}

QPushButton* CWizardDialog::Button(int id) const
{
    switch (id) {
    case kWizardBackId:
        return m_back;
    case kWizardNextId:
        return m_next;
    case kWizardFinishId:
        return m_finish;
    case kWizardCancelId:
        return m_cancel;
    default:
        return nullptr;
    }
}

// ---- Showing and hiding pages -----------------------------------------------------------------------

bool CWizardDialog::showPage(CWizardPage* page)
{
    if (!page)
        return false;
    if (!page->m_created) {
        if (m_placeholderId == 0 || !page->createWindow(*m_placeholder))
            return false;
        page->m_owner = this;
        if (!page->OnCreatePage())
            return false;
    }
    if (page->m_active)
        return true;
    if (!hideActivePage())
        return false;
    page->m_widget->setEnabled(true);
    page->m_widget->show();
    page->OnSetActive();
    page->m_active = true;
    page->UpdateData(false);
    return true;
}

bool CWizardDialog::hideActivePage()
{
    CWizardPage* active = GetActivePage();
    if (!active)
        return true;
    if (!active->OnKillActive())
        return false;
    active->m_widget->hide();
    active->m_active = false;
    return true;
}

bool CWizardDialog::destroyPage(CWizardPage* page)
{
    if (!page->m_created)
        return true;
    if (!page->OnKillActive())
        return false;
    page->OnDestroyPage();
    page->destroyWindow();
    return true;
}

void CWizardDialog::OnDestroy()
{
    for (CWizardPage* page : m_pages)
        destroyPage(page);
}

bool CWizardDialog::SetActivePageById(int templateId)
{
    CWizardPage* page = pageWithId(templateId);
    return page && showPage(page);
}

bool CWizardDialog::ShowFirstPage()
{
    if (!hideActivePage())
        return false;
    EnableBack(false);
    EnableNext(m_pages.size() > 1);
    return !m_pages.empty() && showPage(m_pages.front());
}

void CWizardDialog::GoToNextPage()
{
    if (showPage(nextPageOf(GetActivePage())))
        EnableBack(true);
}

bool CWizardDialog::SetActivePage(CWizardPage* page)
{
    showPage(page);
    return true;
}

bool CWizardDialog::SetActivePageAt(int index)
{
    CWizardPage* page = GetPage(index);
    if (!page)
        return false;
    showPage(page);
    return true;
}

// ---- Neighbours -------------------------------------------------------------------------------------

CWizardPage* CWizardDialog::nextPageOf(const CWizardPage* page) const
{
    const int index = GetPageIndex(page);
    for (int i = index + 1; index >= 0 && i < GetPageCount(); ++i) {
        if (!m_pages[std::size_t(i)]->m_skipped)
            return m_pages[std::size_t(i)];
    }
    return nullptr;
}

CWizardPage* CWizardDialog::previousPageOf(const CWizardPage* page) const
{
    for (int i = GetPageIndex(page) - 1; i >= 0; --i) {
        if (!m_pages[std::size_t(i)]->m_skipped)
            return m_pages[std::size_t(i)];
    }
    return nullptr;
}

CWizardPage* CWizardDialog::pageWithId(int templateId) const
{
    const auto found = std::ranges::find_if(
        m_pages, [templateId](const CWizardPage* page) { return page->m_templateId == templateId; });
    return found == m_pages.end() ? nullptr : *found;
}

void CWizardDialog::followNeighbours(const CWizardPage* page)
{
    if (!page || page->m_active)
        return;
    CWizardPage* active = GetActivePage();
    if (!active)
        return;
    EnableNext(nextPageOf(active) != nullptr);
    EnableBack(previousPageOf(active) != nullptr);
}

void CWizardDialog::SkipPage(CWizardPage* page)
{
    if (!page)
        return;
    page->m_skipped = true;
    followNeighbours(page);
}

void CWizardDialog::UnskipPage(CWizardPage* page)
{
    if (!page)
        return;
    page->m_skipped = false;
    followNeighbours(page);
}

int CWizardDialog::GetActiveIndex() const
{
    const auto found = std::ranges::find_if(m_pages, [](const CWizardPage* page) { return page->m_active; });
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

int CWizardDialog::GetPageIndex(const CWizardPage* page) const
{
    const auto found = std::ranges::find(m_pages, page);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

CWizardPage* CWizardDialog::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[std::size_t(index)] : nullptr;
}

CWizardPage* CWizardDialog::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

// ---- Buttons ----------------------------------------------------------------------------------------

void CWizardDialog::EnableFinish(bool enable)
{
    m_finishEnabled = enable;
    m_finish->setEnabled(enable);
    updateDefaultButton();
}

void CWizardDialog::EnableBack(bool enable)
{
    m_back->setEnabled(enable);
}

void CWizardDialog::EnableNext(bool enable)
{
    m_nextEnabled = enable;
    m_next->setEnabled(enable);
    updateDefaultButton();
}

// Enter goes on to the next page while there is one, and finishes where that is all that is left.
void CWizardDialog::updateDefaultButton()
{
    m_next->setDefault(m_nextEnabled);
    m_finish->setDefault(!m_nextEnabled && m_finishEnabled);
}

void CWizardDialog::UpdateFinish()
{
    bool allComplete = true;
    bool someCanFinish = false;
    for (const CWizardPage* page : m_pages) {
        allComplete = page->IsComplete();
        someCanFinish = someCanFinish || page->m_canFinish;
        if (!allComplete)
            break;
    }
    EnableFinish(someCanFinish && allComplete);
}

void CWizardDialog::SetProgramButtonTexts()
{
    constexpr int kFinishText = 1015;
    constexpr int kNextText = 1011;
    constexpr int kBackText = 1014;
    constexpr int kCancelText = 1006;
    SetFinishText(LoadSystemString(kFinishText, SYSSTR_FIRST_UPPER));
    SetNextText(LoadSystemString(kNextText, SYSSTR_FIRST_UPPER) + QStringLiteral(" >"));
    SetBackText(QStringLiteral("< ") + LoadSystemString(kBackText, SYSSTR_FIRST_UPPER));
    SetCancelText(LoadSystemString(kCancelText, SYSSTR_FIRST_UPPER));
}

void CWizardDialog::SetTitle(int stringId)
{
    SetTitle(LoadSystemString(stringId));
}

void CWizardDialog::SetTitle(const QString& text)
{
    setWindowTitle(text);
}

void CWizardDialog::SetFinishText(int stringId)
{
    SetFinishText(LoadSystemString(stringId));
}

void CWizardDialog::SetFinishText(const QString& text)
{
    m_finish->setText(text);
}

void CWizardDialog::SetCancelText(int stringId)
{
    SetCancelText(LoadSystemString(stringId));
}

void CWizardDialog::SetCancelText(const QString& text)
{
    m_cancel->setText(text);
}

void CWizardDialog::SetBackText(int stringId)
{
    SetBackText(LoadSystemString(stringId));
}

void CWizardDialog::SetBackText(const QString& text)
{
    m_back->setText(text);
}

void CWizardDialog::SetNextText(int stringId)
{
    SetNextText(LoadSystemString(stringId));
}

void CWizardDialog::SetNextText(const QString& text)
{
    m_next->setText(text);
}

void CWizardDialog::NoteFailure(int messageId, const QString& detail)
{
    if (messageId == 0 || m_failureText != 0)
        return;
    m_failureText = messageId;
    m_failureDetail = detail;
}

void CWizardDialog::TellFailure()
{
    if (m_failureText == 0)
        return;
    MessageBoxById(m_failureText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION, m_failureDetail);
    m_failureText = 0;
}

// ---- The buttons' handlers --------------------------------------------------------------------------

void CWizardDialog::OnNext()
{
    CWizardPage* active = GetActivePage();
    if (!active)
        return;
    const int target = active->OnWizardNext();
    if (target == kWizardStay)
        return;
    CWizardPage* page = target == kWizardToNeighbour ? nextPageOf(active) : pageWithId(target);
    if (!page || !showPage(page))
        return;
    EnableNext(nextPageOf(page) != nullptr);
    EnableBack(previousPageOf(page) != nullptr);
    page->UpdateData(false);
}

void CWizardDialog::OnBack()
{
    CWizardPage* active = GetActivePage();
    if (!active)
        return;
    const int target = active->OnWizardBack();
    if (target == kWizardStay)
        return;
    CWizardPage* page = target == kWizardToNeighbour ? previousPageOf(active) : pageWithId(target);
    if (!page || !showPage(page))
        return;
    EnableBack(previousPageOf(page) != nullptr);
    EnableNext(nextPageOf(page) != nullptr);
}

void CWizardDialog::OnFinish()
{
    if (CWizardPage* active = GetActivePage(); active && !active->OnKillActive())
        return;
    for (CWizardPage* page : m_pages) {
        if (page->m_created && !page->OnWizardFinish())
            return;
    }
    for (CWizardPage* page : m_pages)
        page->OnApply();
    m_finished = true;
    done(QDialog::Accepted);
}

void CWizardDialog::reject()
{
    for (CWizardPage* page : m_pages) {
        if (page->m_created && !page->OnQueryCancel())
            return;
    }
    QDialog::reject();
}
