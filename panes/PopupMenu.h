#pragma once
// A popup menu of text items, each with a command id and a number of item data (often a pointer the
// caller keeps), which the caller reads back for the chosen command.

#include <QMenu>
#include <QPoint>

#include <cstdint>
#include <limits>

class CPopupMenu : public QMenu
{
public:
    explicit CPopupMenu(QWidget* parent = nullptr);

    // Appends an item at the end; false for an empty text or a command id that is already there, since
    // the id is what the item is found by.
    bool AppendItem(const QString& text, int commandId, std::uintptr_t itemData = 0);
    bool HasItem(int commandId) const;
    bool GetItemData(int commandId, std::uintptr_t& itemData) const;

    // Shows the menu at a screen point and waits; the chosen command id, 0 when none was chosen.
    int Track(const QPoint& screenPoint);
    // Where the menu was last tracked; kNoPosition until then.
    static constexpr QPoint kNoPosition{std::numeric_limits<int>::min(), std::numeric_limits<int>::min()};
    QPoint PopupPosition() const { return m_popupPosition; }

private:
    QAction* FindItem(int commandId) const;

    QPoint m_popupPosition = kNoPosition;
};
