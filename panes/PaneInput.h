#pragma once
// What the panes' input handlers (panes/PaneInput.cpp) and their context menu (panes/PaneMenu.cpp) share
// with the rest of the program: the tools that draw new icons, the cursors they show, the commands of
// the context menu, and the seams through which the handlers reach the commands and editors above the
// panes. Every seam does nothing (or answers "no") until the shell installs it.

#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"
#include "system/SystemStrings.h"

#include <QString>

#include <optional>

class CPane;
class CQuibBg;
class CQuibIcon;
class QMenu;
class QMimeData;

// The drawing tools (the others are in core/IconEditing.h).
constexpr int kEditToolRectangle = 4;
constexpr int kEditToolEllipse = 6;
constexpr int kEditToolSpotRect = 7;

// The browse tool shows the hand over an icon that opens a page (the animated pair the ids once gave
// it is the busy cursor, which would tell a person to wait); the other cursors are in
// system/SystemStrings.h.
constexpr int kCursorLink = CURSOR_HAND;

// The drag state of a pane, in its kPaneDragMask bits.
constexpr std::uint16_t kPaneDragRubberBand = 0x10;
constexpr std::uint16_t kPaneDragMove = 0x20;
constexpr std::uint16_t kPaneDragResize = 0x30;

// Drop effects as the drop target reports them.
constexpr int kDropEffectNone = 0;
constexpr int kDropEffectMove = 2;

// Commands the handlers and the context menu ask the pane's owner to run: editing the selected icon and
// the page, and the clipboard (the numbers the command dispatcher knows them by).
constexpr int kCommandEditSelectedIcon = 5103;
constexpr int kCommandEditPage = 5123;
constexpr int kCommandCopy = 57634;
constexpr int kCommandCut = 57635;
constexpr int kCommandPaste = 57637;

// The context menu's items: the item id is the id of its text among the system strings.
constexpr int kMenuTextSize = 5700;
constexpr int kMenuTextSizeAuto = 5701;
constexpr int kMenuTextSizeOther = 5702;
constexpr int kMenuTextSizeLast = 5712;
constexpr int kMenuTextAlign = 5720;
constexpr int kMenuAlignTop = 5721;
constexpr int kMenuAlignBottom = 5723;
constexpr int kMenuAlignLeft = 5724;
constexpr int kMenuAlignRight = 5726;
constexpr int kMenuFrame = 5730;
constexpr int kMenuFrameAuto = 5731;
constexpr int kMenuFrameLast = 5737;
constexpr int kMenuFrameColor = 5739;
constexpr int kMenuEditPage = 5741;
constexpr int kMenuEditIcon = 5742;
constexpr int kMenuCutIcon = 5743;
constexpr int kMenuCopyIcon = 5744;
constexpr int kMenuPasteIcon = 5745;
constexpr int kMenuDeleteIcon = 5746;
constexpr int kMenuNewIcon = 5747;
constexpr int kMenuInfo = 5748;
constexpr int kFirstPropertyCommand = 5701;
constexpr int kLastPropertyCommand = 5748;

// The text a person types for "Other..." text size; nothing when it is refused.
std::optional<QString> TextSizeFromInput(const QString& typed);
// Takes out of a "textalign" value the words of the item's axis and appends the item's word.
QString AlignmentWithItem(const QString& current, const QString& itemValue);

// While Ctrl is held with the browse tool, the main pane's icons show their link badges.
extern bool theCtrlView;

// The context menu open now: the pane under its point, that point, and the icon it was opened on.
struct PaneMenuState {
    CPoint point;
    const CQuibIcon* icon = nullptr;
    bool open = false;
};
extern PaneMenuState thePaneMenu;

// Puts the seams, the Ctrl view and the menu state back.
void ResetPaneInput();
