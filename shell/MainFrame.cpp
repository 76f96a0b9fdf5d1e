#include "shell/MainFrame.h"

#include "core/IconDrawing.h"
#include "core/User.h"
#include "resources/BitmapResource.h"
#include "shell/Commands.h"
#include "shell/Help.h"
#include "shell/MainClientWnd.h"
#include "shell/Menus.h"
#include "shell/ScreenLayout.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>

#include <span>

namespace
{

CMainFrame* theMainFrameWindow = nullptr;

// The edit tools' menu texts have ids 1000 below their commands.
constexpr int kToolTextOffset = 1000;
constexpr int kPrintText = 4022;
constexpr int kPrint = 5022;
constexpr int kAboutText = 4202;
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

} // namespace

CMainFrame::CMainFrame() : m_toolBar(addToolBar(QStringLiteral("Toolbar")))
{
    setObjectName(QStringLiteral("mainFrame"));
    setCentralWidget(new CMainClientWnd);
    centralWidget()->setFocusPolicy(Qt::StrongFocus);
    CreateToolBar();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    theMainFrameWindow = this;
    InstallFrameHooks();
    AddHelpKey();
}

CMainFrame::~CMainFrame()
{
    if (theMainFrameWindow != this)
        return;
    theMainFrameWindow = nullptr;
    theStatusTextSink.reset();
    theAviTimerStart.reset();
    theAviTimerStop.reset();
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
        AddToolButton(command, LoadSystemString(command - kToolTextOffset));
    addRows(kAboutButton);
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

void CMainFrame::InstallFrameHooks()
{
    theStatusTextSink.set([this](const QString& text) { statusBar()->showMessage(text); });
    theAviTimerStart.set([this](int intervalMs) { m_aviTimer.start(intervalMs, this); });
    theAviTimerStop.set([this] { m_aviTimer.stop(); });
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
    StoreWindowRect();
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_aviTimer.timerId())
        StepAviPreview();
    else if (event->timerId() == m_idleTimer.timerId())
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
