#include "shell/MainFrame.h"

#include "core/User.h"
#include "platform/types/Clock.h"
#include "resources/BitmapResource.h"
#include "shell/Commands.h"
#include "shell/Help.h"
#include "shell/MainClientWnd.h"
#include "shell/Menus.h"
#include "shell/ScreenLayout.h"
#include "shell/WordNavBar.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>

#include <algorithm>
#include <span>

lumivo::Hook<std::optional<lumivo::keyboard::LockKeys>()> theLockKeysHook{lumivo::keyboard::lockKeys};

namespace
{

CMainFrame* theMainFrameWindow = nullptr;

constexpr std::array kIndicatorIds{ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
// Room beside an indicator's text, in pixels, as a status-bar pane has.
constexpr int kIndicatorPadding = 8;

// The edit tools' menu texts have ids 1000 below their commands.
constexpr int kToolTextOffset = 1000;
constexpr int kPrintText = 4022;
constexpr int kPrint = 5022;
constexpr int kAboutText = 4202;
constexpr int kToolBarTitle = 9464;
constexpr int kAbout = 5202;

struct ToolRow {
    int commandId; // 0: a separator
    int textId;    // 0: the command's prompt is its text
};

constexpr ToolRow kClipboardAndPrint[] = {{int(ID_EDIT_CUT), 0},   {int(ID_EDIT_COPY), 0},
                                          {int(ID_EDIT_PASTE), 0}, {0, 0},
                                          {kPrint, kPrintText},    {0, 0}};
constexpr ToolRow kAboutButton[] = {{0, 0}, {kAbout, kAboutText}};

QString toolText(const ToolRow& row)
{
    if (row.textId != 0)
        return LoadSystemString(row.textId);
    QString prompt;
    CMainFrame::GetMessageString(row.commandId, prompt);
    return prompt;
}

// The text of the frame's own button of that command; none for a button it does not know.
QString toolButtonText(int command)
{
    for (const std::span<const ToolRow> rows :
         {std::span<const ToolRow>(kClipboardAndPrint), std::span<const ToolRow>(kAboutButton)}) {
        for (const ToolRow& row : rows) {
            if (row.commandId == command)
                return toolText(row);
        }
    }
    if (std::ranges::find(lumivo::kEditToolCommands, command) != lumivo::kEditToolCommands.end())
        return LoadSystemString(command - kToolTextOffset);
    return {};
}

} // namespace

CMainFrame::CMainFrame() : m_toolBar(addToolBar(QString()))
{
    setObjectName(QStringLiteral("mainFrame"));
    setCentralWidget(new CMainClientWnd);
    centralWidget()->setFocusPolicy(Qt::StrongFocus);
    CreateToolBar();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    CreateIndicators();
    theMainFrameWindow = this;
    AddHelpKey();
}

CMainFrame::~CMainFrame()
{
    if (theMainFrameWindow != this)
        return;
    theMainFrameWindow = nullptr;
}

void CMainFrame::CreateToolBar()
{
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setIconSize(QSize(24, 24));
    const auto addRows = [this](std::span<const ToolRow> rows) {
        for (const ToolRow& row : rows) {
            if (row.commandId == 0)
                m_toolBar->addSeparator();
            else
                AddToolButton(row.commandId, toolText(row));
        }
    };
    addRows(kClipboardAndPrint);
    for (const int command : lumivo::kEditToolCommands)
        AddToolButton(command, toolButtonText(command));
    addRows(kAboutButton);
}

void CMainFrame::CreateIndicators()
{
    for (std::size_t i = 0; i < kIndicatorIds.size(); ++i) {
        auto* label = new QLabel(statusBar());
        label->setObjectName(QStringLiteral("indicator%1").arg(kIndicatorIds[i], 0, 16));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
        m_indicators[i] = label;
    }
    UpdateBarTexts();
}

QLabel* CMainFrame::Indicator(int indicatorId) const
{
    for (std::size_t i = 0; i < kIndicatorIds.size(); ++i) {
        if (kIndicatorIds[i] == indicatorId)
            return m_indicators[i];
    }
    return nullptr;
}

void CMainFrame::UpdateKeyIndicators()
{
    m_indicatorsReadAt = lumivo::clock::tickCount();
    const std::optional<lumivo::keyboard::LockKeys> keys = theLockKeysHook();
    const std::array lit{keys && keys->caps, keys && keys->num, keys && keys->scroll};
    for (std::size_t i = 0; i < kIndicatorIds.size(); ++i) {
        const QString text = lit[i] ? LoadSystemString(kIndicatorIds[i]) : QString();
        if (m_indicators[i]->text() != text)
            m_indicators[i]->setText(text);
    }
}

void CMainFrame::UpdateBarTexts()
{
    m_toolBar->setWindowTitle(LoadSystemString(kToolBarTitle));
    for (QAction* button : m_toolBar->actions()) {
        if (button->isSeparator())
            continue;
        const int command = button->data().toInt();
        const QString text = toolButtonText(command);
        if (text.isNull())
            continue;
        button->setText(text);
        button->setToolTip(text);
        if (QString prompt; GetMessageString(command, prompt))
            button->setStatusTip(prompt);
    }
    // Each indicator keeps the room of its text, lit or not, so the status bar never jumps.
    for (std::size_t i = 0; i < kIndicatorIds.size(); ++i) {
        QLabel* label = m_indicators[i];
        const int width = label->fontMetrics().horizontalAdvance(LoadSystemString(kIndicatorIds[i]));
        label->setMinimumWidth(width + 2 * kIndicatorPadding);
        if (!label->text().isEmpty())
            label->setText(LoadSystemString(kIndicatorIds[i]));
    }
    if (auto* bar = dynamic_cast<CWordNavBar*>(m_wordNavBar))
        bar->UpdateTexts();
}

// F1 is a key of the whole window: the client window takes every key it is given, so a key press
// would never reach the frame.
void CMainFrame::AddHelpKey()
{
    auto* help = new QAction(this);
    help->setObjectName(QStringLiteral("helpKey"));
    help->setShortcut(Qt::Key_F1);
    help->setShortcutContext(Qt::WindowShortcut);
    connect(help, &QAction::triggered, this, [this] { WinHelp(0, HELP_CONTEXT); });
    addAction(help);
}

QAction* CMainFrame::ToolButton(int commandId) const
{
    for (QAction* action : m_toolBar->actions()) {
        if (!action->isSeparator() && action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

QAction* CMainFrame::AddToolButton(int commandId, const QString& text)
{
    QAction* button = m_toolBar->addAction(text);
    button->setData(commandId);
    const QString picture = QStringLiteral(":/bitmap/128/%1.png").arg(commandId);
    if (QIcon icon(picture); !icon.availableSizes().isEmpty())
        button->setIcon(icon);
    button->setToolTip(text);
    if (QString prompt; GetMessageString(commandId, prompt))
        button->setStatusTip(prompt);
    return button;
}

bool CMainFrame::GetMessageString(int commandId, QString& text)
{
    return GetCommandPrompt(commandId, text) || GetSystemString(commandId, text);
}

void CMainFrame::SetWordNavBar(QToolBar* bar)
{
    if (m_wordNavBar)
        delete m_wordNavBar;
    m_wordNavBar = bar;
    if (bar)
        insertToolBar(m_toolBar, bar);
}

void CMainFrame::OnEscapeKey()
{
    if (QWidget* client = ClientWindow())
        client->setFocus(Qt::ShortcutFocusReason);
    theScreenMode ^= SCREENMODE_MENUBAR;
    UpdateScreenMode();
}

void CMainFrame::WinHelp(unsigned data, unsigned command)
{
    HtmlHelp(HH_HELP_CONTEXT, command == HELP_CONTEXT ? data : 0);
}

void CMainFrame::ArmIdleTimer()
{
    m_idleTimer.start(kIdleTimerMs, this);
}

CMainClientWnd* CMainFrame::ClientWnd() const
{
    return dynamic_cast<CMainClientWnd*>(centralWidget());
}

void CMainFrame::RunClientIdleTick()
{
    if (CMainClientWnd* client = ClientWnd())
        client->OnIdleTick();
    const bool due =
        !m_indicatorsReadAt || lumivo::clock::tickCount() - *m_indicatorsReadAt >= kIndicatorIntervalMs;
    if (due && statusBar()->isVisible())
        UpdateKeyIndicators();
}

void CMainFrame::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        OnEscapeKey();
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    StoreWindowRect(lumivo::mainWindowState());
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_idleTimer.timerId())
        RunClientIdleTick();
    QMainWindow::timerEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (ConfirmQuit())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::focusInEvent(QFocusEvent* event)
{
    QMainWindow::focusInEvent(event);
    if (QWidget* client = ClientWindow())
        client->setFocus(event->reason());
}

CMainFrame* MainFrame()
{
    return theMainFrameWindow;
}

void ResetMainFrame()
{
    theLockKeysHook.reset();
}
