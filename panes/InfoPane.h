#pragma once
// The information pane: a copy of the icon the author is working with, enlarged, with the icon's text
// in large type under it. The copy is the pane's own child icon, hidden while there is nothing to show.
// The running screen layouts keep the pane hidden; it works as described wherever a layout places it.

#include "panes/Pane.h"

#include <QFont>
#include <QString>

// Pane flag: the own icon stays shown even when no icon is selected.
constexpr std::uint16_t kInfoPaneKeepsIcon = 0x800;

class CInfoPane : public CPane
{
public:
    CInfoPane();
    ~CInfoPane() override;

    // Shows `icon` (with the browse tool) or the one selected icon (with any other tool), or nothing.
    void ShowSelectedIcon(CQuibIcon* icon);

    // The pane's own icon and the text shown under it.
    CQuibIcon* OwnIcon() const;
    const QString& DisplayText() const { return m_text; }
    // Where the text goes, in pane coordinates; set by the first drawing after a layout.
    const CRect& TextRect() const { return m_textRect; }

    void SetOwnerWnd(CPaneOwner* owner) override { CPane::SetOwnerWnd(owner); }
    void DrawOverlay(QPainter& dc) override;
    void DrawContent(QPainter& dc) override;
    // Clicks and presses are taken and do nothing; a move is the base's, then taken.
    bool OnLButtonDown(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool updateCursor) override;
    bool OnClick(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnDblClick(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnLongMouseDown() override;
    void UpdateLayout(bool force) override;
    void ResetPane() override;

private:
    void makeOwnIcon();
    void layOutText(QPainter& dc);

    QFont m_font;
    QString m_text;
    CRect m_textRect;
    CRect m_iconRect;
    bool m_relayout = false;
};
