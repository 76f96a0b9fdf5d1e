#include "authoring/BgSheetView.h"

#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "core/Page.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace
{

constexpr int kOkText = 1005;
constexpr int kCancelText = 1006;
constexpr int kTranslateText = 1007;
constexpr int kEditText = 1010;
constexpr int kButtonWidth = 80;
constexpr int kButtonSpacing = 7;
// Room for the largest page (the image page, with its preview).
constexpr int kSheetWidth = 660;
constexpr int kSheetHeight = 500;

} // namespace

// ---- The sheet ----------------------------------------------------------------------------------------

CQuibBg_PropSheet::CQuibBg_PropSheet(CQuibBg_Frame& frame)
    : m_basic(frame), m_picture(frame), m_userLevels(frame)
{
    AddPage(m_basic);
    AddPage(m_picture);
    AddPage(m_userLevels);
}

void CQuibBg_PropSheet::LoadPages()
{
    m_basic.UpdateData(false);
    if (GetActivePage() == &m_picture)
        m_picture.UpdateData(false);
    m_userLevels.FillList();
    if (GetActivePage() == &m_userLevels)
        m_userLevels.UpdateData(false);
}

void CQuibBg_PropSheet::ResetPages()
{
    m_picture.ResetPictures();
}

bool CQuibBg_PropSheet::ApplyPages()
{
    return PropertySheet::ApplyPages();
}

// ---- The view -----------------------------------------------------------------------------------------

CQuibBg_ScrollView::CQuibBg_ScrollView(CQuibBg_Frame& frame) : m_frame(frame), m_sheet(frame)
{
    setObjectName(QStringLiteral("bgSheetView"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes from the tree straight into the sheet's tabs, not to the area that holds them.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget;
    m_content = content;
    auto* column = new QVBoxLayout(content);
    column->addWidget(m_sheet.Create(content), 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    buttons->addStretch(1);
    m_edit = makeButton(kEditText, 0, "bgEditButton");
    m_translate = makeButton(kTranslateText, 0, "bgTranslateButton");
    m_cancel = makeButton(kCancelText, SYSSTR_FIRST_UPPER, "bgCancelButton");
    m_ok = makeButton(kOkText, SYSSTR_FIRST_UPPER, "bgOkButton");
    for (QPushButton* button : {m_edit, m_translate, m_cancel, m_ok})
        buttons->addWidget(button);
    column->addLayout(buttons);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_frame.SaveCurrentBackground(false))
            RefreshSheet();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_frame.RevertBackground(); });
    connect(m_edit, &QPushButton::clicked, this, [this] { m_frame.EditOwnCopy(); });
    // Translate is offered in translation mode and does nothing (it never has).
    connect(m_translate, &QPushButton::clicked, this, [] {});
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    LayoutButtons();
}

CQuibBg_ScrollView::~CQuibBg_ScrollView() = default;

QSize CQuibBg_ScrollView::sizeHint() const
{
    // The sheet's pages are built as they are first shown: the largest page decides, measured on the
    // shown one plus room for what the others may add.
    return m_content->sizeHint().expandedTo(QSize(kSheetWidth, kSheetHeight));
}

QPushButton* CQuibBg_ScrollView::makeButton(int textId, int flags, const char* name)
{
    auto* button = new QPushButton(LoadSystemString(textId, flags));
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumWidth(kButtonWidth);
    button->setAutoDefault(false);
    return button;
}

void CQuibBg_ScrollView::SetChanged(bool changed)
{
    if (changed == m_changed)
        return;
    m_changed = changed;
    m_ok->setEnabled(changed);
    m_cancel->setEnabled(changed);
    LayoutButtons();
}

void CQuibBg_ScrollView::RefreshSheet()
{
    m_sheet.LoadPages();
    LayoutButtons();
}

void CQuibBg_ScrollView::LayoutButtons()
{
    const bool translating = BackgroundEditorTranslating();
    m_translate->setVisible(translating);
    m_translate->setDefault(translating);
    m_ok->setDefault(!translating);
    m_edit->setVisible(BackgroundEditorTranslating() || BackgroundEditorEditing());
    CQuibBg* page = m_frame.CurrentBackground();
    if (!page) {
        m_translate->setEnabled(false);
        m_edit->setEnabled(false);
        return;
    }
    const int language = GetBgTypeLanguage(page->GetType());
    m_translate->setEnabled(theTranslateLanguage != 0 && (theTranslateLanguage & 0xFF) != language);
    m_edit->setEnabled(!m_frame.IsEditable());
}

void CQuibBg_ScrollView::keyPressEvent(QKeyEvent* event)
{
    QPushButton* target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        target = m_translate->isDefault() ? m_translate : m_ok;
    else if (event->key() == Qt::Key_Escape)
        target = m_cancel;
    if (target && target->isVisible() && target->isEnabled()) {
        target->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetBgSheetChanged(CQuibBg_Frame& frame, bool changed)
{
    frame.View().SetChanged(changed);
}
