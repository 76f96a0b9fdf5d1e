#include "platform/ui/PropertySheet.h"

#include "platform/ui/Ui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lumivo::ui
{

namespace
{

// A window about to go emits no more signals into its page's code: hiding or destroying it moves the
// keyboard focus, and a control losing the focus would otherwise report an edit to a page that is
// closing.
void silence(QWidget& widget)
{
    widget.blockSignals(true);
    for (QObject* child : widget.findChildren<QObject*>())
        child->blockSignals(true);
}

// Widgets made after the window was laid out join the end of its Tab order. A page built on its first
// showing puts its controls straight after the tab bar instead, in the order they were made, so that
// Tab goes from the tabs into the page and on to what follows the pages (the buttons).
void placeAfterTabBar(QTabWidget& tabs, QWidget& page)
{
    QWidget* window = tabs.window();
    std::vector<QWidget*> controls;
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        // Tab passes over widgets without Tab focus and over parts of compound controls (the edit
        // field of a combo box), which move with their control.
        if (page.isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            controls.push_back(widget);
    }
    QWidget* previous = tabs.tabBar();
    for (QWidget* control : controls) {
        QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

} // namespace

// ---- The page ----------------------------------------------------------------------------------------

PropertyPage::PropertyPage(QString caption) : m_caption(std::move(caption)) {}

PropertyPage::~PropertyPage()
{
    DestroyWindow();
}

QWidget* PropertyPage::Create(QWidget* parent)
{
    if (m_widget)
        return m_widget;
    auto* widget = new QWidget(parent);
    m_widget = widget;
    m_firstSetActive = true;
    m_modified = false;
    OnInitDialog(*widget);
    UpdateData(false);
    return widget;
}

QWidget* PropertyPage::GetWidget() const
{
    return m_widget;
}

void PropertyPage::DestroyWindow()
{
    if (QWidget* widget = m_widget) {
        silence(*widget);
        OnDestroy();
        delete widget;
    }
}

bool PropertyPage::UpdateData(bool save)
{
    if (!m_widget)
        return true;
    return DoDataExchange(save);
}

void PropertyPage::SetModified(bool modified)
{
    m_modified = modified;
    if (m_sheet)
        m_sheet->OnPageModified(*this);
}

bool PropertyPage::DoDataExchange(bool)
{
    return true;
}

void PropertyPage::OnSetActive()
{
    if (!m_firstSetActive)
        UpdateData(false);
}

bool PropertyPage::OnKillActive()
{
    return UpdateData(true);
}

void PropertyPage::OnOK() {}

void PropertyPage::OnCancel() {}

bool PropertyPage::OnApply()
{
    OnOK();
    m_modified = false;
    return true;
}

bool PropertyPage::OnQueryCancel()
{
    return true;
}

void PropertyPage::OnDestroy() {}

// ---- The sheet ---------------------------------------------------------------------------------------

// The modal form: OK, Cancel, Escape and the close box all go through the sheet, which asks its pages
// before the dialog ends.
class PropertySheet::Dialog : public QDialog
{
public:
    Dialog(PropertySheet& sheet, QWidget* owner) : QDialog(owner), m_sheet(sheet) {}

    PropertySheet& sheet() const { return m_sheet; }
    void accept() override { m_sheet.PressButton(SheetButton::Ok); }
    void reject() override { m_sheet.PressButton(SheetButton::Cancel); }
    void end(int result) { QDialog::done(result); }

private:
    PropertySheet& m_sheet;
};

PropertySheet::PropertySheet(QString caption) : m_caption(std::move(caption)) {}

// A frame may outlive the sheet that lent it its tabs; they go with the sheet, since they call it.
PropertySheet::~PropertySheet()
{
    if (QTabWidget* tabs = m_tabs) {
        silence(*tabs);
        delete tabs;
    }
}

void PropertySheet::SetTitle(const QString& caption)
{
    m_caption = caption;
    if (m_dialog)
        m_dialog->setWindowTitle(caption);
}

void PropertySheet::AddPage(PropertyPage& page)
{
    page.m_sheet = this;
    m_pages.push_back(&page);
    m_tabTexts.push_back(page.GetCaption());
}

PropertyPage* PropertySheet::GetPage(int index) const
{
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)];
}

int PropertySheet::GetPageIndex(const PropertyPage& page) const
{
    for (int index = 0; index < GetPageCount(); ++index) {
        if (m_pages[static_cast<std::size_t>(index)] == &page)
            return index;
    }
    return -1;
}

bool PropertySheet::SetActivePage(int index)
{
    if (!GetPage(index))
        return false;
    if (!m_tabs) {
        m_active = index;
        return true;
    }
    PropertyPage* current = GetActivePage();
    if (index == m_active && current->IsCreated())
        return true;
    if (index != m_active && current && current->IsCreated() && !current->OnKillActive())
        return false;
    showPage(index);
    return true;
}

bool PropertySheet::SetActivePage(PropertyPage& page)
{
    return SetActivePage(GetPageIndex(page));
}

bool PropertySheet::SetTabText(int index, const QString& text)
{
    if (!GetPage(index))
        return false;
    m_tabTexts[static_cast<std::size_t>(index)] = text;
    if (m_tabs)
        m_tabs->setTabText(index, text);
    return true;
}

bool PropertySheet::SetTabText(const PropertyPage& page, const QString& text)
{
    return SetTabText(GetPageIndex(page), text);
}

QString PropertySheet::GetTabText(int index) const
{
    return GetPage(index) ? m_tabTexts[static_cast<std::size_t>(index)] : QString();
}

QDialog* PropertySheet::GetDialog() const
{
    return m_dialog;
}

PropertySheet* PropertySheet::FromDialog(QDialog& dialog)
{
    auto* sheetDialog = dynamic_cast<Dialog*>(&dialog);
    return sheetDialog ? &sheetDialog->sheet() : nullptr;
}

int PropertySheet::DoModal(QWidget* owner)
{
    Dialog dialog(*this, owner);
    dialog.setWindowTitle(m_caption);
    auto* layout = new QVBoxLayout(&dialog);
    // A page built later may need more room than the first: the dialog grows to what its pages need.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(buildTabs(&dialog));
    auto standard = QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
    if (m_applyButton)
        standard |= QDialogButtonBox::Apply;
    auto* buttons = new QDialogButtonBox(standard, &dialog);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (QPushButton* apply = buttons->button(QDialogButtonBox::Apply)) {
        QObject::connect(apply, &QPushButton::clicked, &dialog, [this] { PressButton(SheetButton::Apply); });
        m_applyWidget = apply;
    }
    m_dialog = &dialog;
    m_dialogResult = 0;
    for (PropertyPage* page : m_pages)
        page->m_modified = false;
    OnInitDialog();
    updateApplyButton();

    const int answer = runModal(dialog);
    // An answer that pressed no button is taken as the button it names.
    if (m_dialogResult == 0 && !(answer == IDOK && PressButton(SheetButton::Ok))) {
        CancelPages(false);
        m_dialogResult = IDCANCEL;
    }
    for (PropertyPage* page : m_pages)
        page->DestroyWindow();
    m_dialog = nullptr;
    return m_dialogResult;
}

QWidget* PropertySheet::Create(QWidget* parent)
{
    QTabWidget* tabs = buildTabs(parent);
    OnInitDialog();
    return tabs;
}

QWidget* PropertySheet::GetWidget() const
{
    return m_tabs;
}

bool PropertySheet::ApplyPages()
{
    PropertyPage* current = GetActivePage();
    if (current && current->IsCreated() && !current->OnKillActive())
        return false;
    for (int index = 0; index < GetPageCount(); ++index) {
        PropertyPage& page = *m_pages[static_cast<std::size_t>(index)];
        if (!page.IsCreated() || page.OnApply())
            continue;
        if (index != m_active && m_tabs)
            showPage(index);
        return false;
    }
    updateApplyButton();
    return true;
}

bool PropertySheet::CancelPages(bool ask)
{
    if (ask) {
        for (PropertyPage* page : m_pages) {
            if (page->IsCreated() && !page->OnQueryCancel())
                return false;
        }
    }
    for (PropertyPage* page : m_pages) {
        if (page->IsCreated())
            page->OnCancel();
    }
    return true;
}

bool PropertySheet::PressButton(SheetButton button)
{
    switch (button) {
    case SheetButton::Ok:
        if (!ApplyPages())
            return false;
        endDialog(IDOK);
        return true;
    case SheetButton::Cancel:
        if (!CancelPages(true))
            return false;
        endDialog(IDCANCEL);
        return true;
    case SheetButton::Apply:
        return ApplyPages();
    }
    return false;
}

void PropertySheet::OnInitDialog()
{
    if (GetPage(m_active))
        showPage(m_active);
}

void PropertySheet::OnPageModified(PropertyPage&)
{
    updateApplyButton();
}

QTabWidget* PropertySheet::buildTabs(QWidget* parent)
{
    auto* tabs = new QTabWidget(parent);
    // Every tab in sight: a person finds a page by reading the tabs, not by scrolling them.
    tabs->setUsesScrollButtons(false);
    for (const QString& text : m_tabTexts) {
        auto* holder = new QWidget;
        new QVBoxLayout(holder);
        tabs->addTab(holder, text);
    }
    m_tabs = tabs;
    if (!GetPage(m_active))
        m_active = 0;
    tabs->setCurrentIndex(m_active);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this](int index) { onTabChanged(index); });
    return tabs;
}

void PropertySheet::build(PropertyPage& page, int index)
{
    QWidget* holder = m_tabs->widget(index);
    holder->layout()->addWidget(page.Create(holder));
    placeAfterTabBar(*m_tabs, *page.GetWidget());
}

void PropertySheet::showPage(int index)
{
    m_active = index;
    {
        const QSignalBlocker blocker(m_tabs.data());
        m_tabs->setCurrentIndex(index);
    }
    PropertyPage& page = *m_pages[static_cast<std::size_t>(index)];
    if (!page.IsCreated())
        build(page, index);
    page.OnSetActive();
    page.m_firstSetActive = false;
}

// The tab bar has already switched (by a click, a key or a shortcut); it goes back until the shown
// page agrees to be left, so the person never sees the next page behind the shown page's refusal.
void PropertySheet::onTabChanged(int index)
{
    {
        const QSignalBlocker blocker(m_tabs.data());
        m_tabs->setCurrentIndex(m_active);
    }
    SetActivePage(index);
}

void PropertySheet::updateApplyButton()
{
    if (!m_applyWidget)
        return;
    bool modified = false;
    for (const PropertyPage* page : m_pages)
        modified = modified || page->IsModified();
    m_applyWidget->setEnabled(modified);
}

void PropertySheet::silencePages()
{
    for (PropertyPage* page : m_pages) {
        if (QWidget* widget = page->GetWidget())
            silence(*widget);
    }
}

void PropertySheet::endDialog(int result)
{
    if (!m_dialog)
        return;
    m_dialogResult = result;
    silencePages();
    static_cast<Dialog*>(m_dialog.data())->end(result == IDOK ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace lumivo::ui
