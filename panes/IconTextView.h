#pragma once
// A scrolling view that only paints what is visible of it in one pale green. Nothing in the program
// makes one yet; it is kept as the starting point of a view of icons as text.

#include <QAbstractScrollArea>
#include <QColor>

class CQuib_IconTextView : public QAbstractScrollArea
{
public:
    explicit CQuib_IconTextView(QWidget* parent = nullptr);

    // Scroll range of a 100 x 100 content, moved a whole page at a time.
    void OnInitialUpdate();

    static constexpr QColor kFillColor{200, 255, 200};
    static constexpr int kContentSize = 100;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
