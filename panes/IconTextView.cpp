#include "panes/IconTextView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

CQuib_IconTextView::CQuib_IconTextView(QWidget* parent) : QAbstractScrollArea(parent)
{
    OnInitialUpdate();
}

void CQuib_IconTextView::OnInitialUpdate()
{
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setPageStep(kContentSize);
        bar->setSingleStep(kContentSize);
    }
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, kContentSize - visible.width()));
    verticalScrollBar()->setRange(0, std::max(0, kContentSize - visible.height()));
}

void CQuib_IconTextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kFillColor);
}

void CQuib_IconTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    OnInitialUpdate();
}
