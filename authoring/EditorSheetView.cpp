#include "authoring/EditorSheetView.h"

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

} // namespace

CEditorSheetView::CEditorSheetView(const char* namePrefix)
{
    const QString prefix = QString::fromLatin1(namePrefix);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes from the tree straight into the sheet's tabs, not to the area that holds them.
    scroll->setFocusPolicy(Qt::NoFocus);
    m_content = new QWidget;
    m_column = new QVBoxLayout(m_content);
    // The buttons join the content only under the sheet (PlaceSheet), so that Tab visits them after it.
    m_edit = makeButton(kEditText, 0, prefix + QStringLiteral("EditButton"));
    m_translate = makeButton(kTranslateText, 0, prefix + QStringLiteral("TranslateButton"));
    m_cancel = makeButton(kCancelText, SYSSTR_FIRST_UPPER, prefix + QStringLiteral("CancelButton"));
    m_ok = makeButton(kOkText, SYSSTR_FIRST_UPPER, prefix + QStringLiteral("OkButton"));
    scroll->setWidget(m_content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
}

CEditorSheetView::~CEditorSheetView()
{
    // Buttons never placed under a sheet have no parent to delete them.
    for (QPushButton* button : {m_edit, m_translate, m_cancel, m_ok})
        if (!button->parent())
            delete button;
}

void CEditorSheetView::PlaceSheet(QWidget* sheet, QSize minimum)
{
    m_minimum = minimum;
    m_column->addWidget(sheet, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    buttons->addStretch(1);
    for (QPushButton* button : {m_edit, m_translate, m_cancel, m_ok})
        buttons->addWidget(button);
    m_column->addLayout(buttons);
}

QSize CEditorSheetView::sizeHint() const
{
    // The sheet's pages are built as they are first shown: the largest page decides, measured on the
    // shown one plus room for what the others may add.
    return m_content->sizeHint().expandedTo(m_minimum);
}

QPushButton* CEditorSheetView::makeButton(int textId, int flags, const QString& name)
{
    auto* button = new QPushButton(LoadSystemString(textId, flags));
    button->setObjectName(name);
    button->setMinimumWidth(kButtonWidth);
    button->setAutoDefault(false);
    return button;
}

void CEditorSheetView::SetChanged(bool changed)
{
    if (changed == m_changed)
        return;
    m_changed = changed;
    m_ok->setEnabled(changed);
    m_cancel->setEnabled(changed);
    LayoutButtons();
}

void CEditorSheetView::SetTranslateDefault(bool translating)
{
    m_translate->setVisible(translating);
    m_translate->setDefault(translating);
    m_ok->setDefault(!translating);
}

void CEditorSheetView::keyPressEvent(QKeyEvent* event)
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
