#include "shell/MainFrame.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>

namespace
{

CMainFrame* theMainFrameWindow = nullptr;

} // namespace

CMainFrame::CMainFrame() : m_toolBar(addToolBar(QStringLiteral("Toolbar")))
{
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    statusBar();
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

CMainFrame* MainFrame()
{
    return theMainFrameWindow;
}
