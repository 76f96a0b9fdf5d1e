#include "shell/MainFrame.h"

#include "shell/Menus.h"
#include "system/SystemStrings.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>

namespace
{

CMainFrame* theMainFrameWindow = nullptr;

// The edit tools' menu texts have ids 1000 below their commands.
constexpr int kToolTextOffset = 1000;

} // namespace

CMainFrame::CMainFrame() : m_toolBar(addToolBar(QStringLiteral("Toolbar")))
{
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    statusBar();
    for (const int command : lumivo::kEditToolCommands)
        AddToolButton(command, LoadSystemString(command - kToolTextOffset));
    theMainFrameWindow = this;
}

CMainFrame::~CMainFrame()
{
    if (theMainFrameWindow == this)
        theMainFrameWindow = nullptr;
}

QAction* CMainFrame::ToolButton(int commandId) const
{
    for (QAction* action : m_toolBar->actions()) {
        if (action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

QAction* CMainFrame::AddToolButton(int commandId, const QString& text)
{
    QAction* button = m_toolBar->addAction(text);
    button->setData(commandId);
    if (QString prompt; GetCommandPrompt(commandId, prompt))
        button->setStatusTip(prompt);
    return button;
}

CMainFrame* MainFrame()
{
    return theMainFrameWindow;
}
