// The context menu of an editable pane: information about the icon and page under the point, the
// editing commands, and the icon's text size, alignment and frame, whose values are read from the
// tagged entries of the menu texts among the system strings.
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Page.h"
#include "panes/Pane.h"
#include "panes/PaneInput.h"
#include "platform/ui/Ui.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCursor>
#include <QInputDialog>
#include <QMenu>

#include <array>

namespace
{

constexpr int kInfoIconText = 9098;
constexpr int kInfoPageText = 9097;
constexpr int kInfoIdText = 9099;
constexpr int kInfoWordText = 9222;
constexpr int kInfoLabelFlags = SYSSTR_FIRST_UPPER | SYSSTR_COLON;
constexpr int kDisplayTextFlags = 3;

constexpr std::array kTextSizeItems{5701, 5708, 5707, 5706, 5705, 5709, 5710, 5711, 5712, 5702};
constexpr std::array kAlignItems{5724, 5725, 5726, 5721, 5722, 5723};
constexpr std::array kFrameItems{5731, 5732, 5733, 5734, 5735, 5736, 5737, 5739};

// A typed text size is accepted from 40 to 1000 per cent and from 8 to 200 points.
constexpr int kMinPercent = 40;
constexpr int kMaxPercent = 1000;
constexpr int kMinPoints = 8;
constexpr int kMaxPoints = 200;

constexpr int kTextSizeTitle = 9462;
constexpr int kTextSizePrompt = 9463;

bool isTextOnly(const CQuibIcon& icon)
{
    return (icon.Flags & kIconContentMask) == kIconContentTextOnly;
}

void addItem(QMenu& menu, int id)
{
    QAction* action = menu.addAction(LoadSystemString(id, SYSSTR_CUT_TAGS));
    action->setData(id);
}

void addInfoLine(QMenu& menu, const QString& text)
{
    menu.addAction(text)->setEnabled(false);
}

void addInfoSubmenu(QMenu& menu, CPane& pane, CQuibIcon* icon)
{
    auto* info = new QMenu(LoadSystemString(kMenuInfo, SYSSTR_CUT_TAGS), &menu);
    const bool developer = (theProgramMode & kProgramModeDeveloper) != 0;
    if (icon) {
        addInfoLine(*info, LoadSystemString(kInfoIconText, kInfoLabelFlags) + QLatin1Char(' ') +
                               icon->GetDisplayText(kDisplayTextFlags));
        if (developer)
            addInfoLine(*info, QStringLiteral("%1 %2: %3")
                                   .arg(LoadSystemString(kInfoWordText, SYSSTR_FIRST_UPPER),
                                        LoadSystemString(kInfoIdText, SYSSTR_FIRST_UPPER))
                                   .arg(icon->WordId));
    }
    if (CQuibBg* page = pane.GetPage()) {
        QString name;
        page->GetName(name);
        addInfoLine(*info, LoadSystemString(kInfoPageText, kInfoLabelFlags) + QLatin1Char(' ') + name);
        if (developer)
            addInfoLine(*info,
                        QStringLiteral("%1: %2").arg(LoadSystemString(kInfoIdText)).arg(page->GetID()));
    }
    if (info->isEmpty())
        delete info;
    else
        menu.addMenu(info);
}

template <std::size_t N> void addSubmenu(QMenu& menu, int titleId, const std::array<int, N>& items)
{
    QMenu* submenu = menu.addMenu(LoadSystemString(titleId, SYSSTR_CUT_TAGS));
    for (const int id : items)
        addItem(*submenu, id);
}

void buildMenu(QMenu& menu, CPane& pane, CQuibIcon* icon)
{
    addInfoSubmenu(menu, pane, icon);
    addItem(menu, kMenuEditPage);
    if (icon)
        addItem(menu, kMenuEditIcon);
    CPaneOwner& owner = pane.Owner();
    if (icon && owner.PaneCommand(kCommandCut, true))
        addItem(menu, kMenuCutIcon);
    if (icon && owner.PaneCommand(kCommandCopy, true))
        addItem(menu, kMenuCopyIcon);
    if (owner.PaneCommand(kCommandPaste, true))
        addItem(menu, kMenuPasteIcon);
    if (icon && theSelectedIcons.size() == 1 && pane.DeleteSelectedIcons(true))
        addItem(menu, kMenuDeleteIcon);
    addItem(menu, kMenuNewIcon);
    if (icon && isTextOnly(*icon)) {
        addSubmenu(menu, kMenuTextSize, kTextSizeItems);
        addSubmenu(menu, kMenuTextAlign, kAlignItems);
        addSubmenu(menu, kMenuFrame, kFrameItems);
    }
}

// The value of the item's tagged entry ("{¤textsize¤=¤120%¤}" gives "120%").
QString itemValue(int id)
{
    return LoadSystemString(id, SYSSTR_TAG_VALUE);
}

std::optional<QString> askTextSize()
{
    QInputDialog dialog;
    dialog.setWindowTitle(LoadSystemString(kTextSizeTitle));
    dialog.setLabelText(LoadSystemString(kTextSizePrompt));
    dialog.setInputMode(QInputDialog::TextInput);
    if (lumivo::ui::runModal(dialog) != lumivo::ui::IDOK)
        return std::nullopt;
    return TextSizeFromInput(dialog.textValue());
}

std::optional<QString> chosenFrameColor(const CQuibIcon& icon)
{
    const std::optional<QColor> color = lumivo::ui::chooseColor(toQColor(icon.FrameColor & 0xFFFFFF));
    if (!color)
        return std::nullopt;
    return QStringLiteral("%1,%2,%3").arg(color->red()).arg(color->green()).arg(color->blue());
}

// The attribute an item sets and its new value; no key when the item sets nothing.
struct AttributeChange {
    QString key;
    std::optional<QString> value;
};

AttributeChange attributeChangeOf(int id, CQuibIcon& icon)
{
    if (id == kMenuTextSizeOther)
        return {QStringLiteral("textsize"), askTextSize()};
    if (id >= kMenuTextSizeAuto && id <= kMenuTextSizeLast)
        return {QStringLiteral("textsize"), itemValue(id)};
    if (id >= kMenuAlignTop && id <= kMenuAlignRight) {
        QString current;
        icon.Attributes.GetValue(QStringLiteral("textalign"), current);
        return {QStringLiteral("textalign"), AlignmentWithItem(current, itemValue(id))};
    }
    if (id >= kMenuFrameAuto && id <= kMenuFrameLast)
        return {QStringLiteral("framewidth"), itemValue(id)};
    if (id == kMenuFrameColor)
        return {QStringLiteral("framecolor"), chosenFrameColor(icon)};
    return {};
}

void changeAttribute(int id, CQuibIcon& icon)
{
    if (!isTextOnly(icon))
        return;
    const AttributeChange change = attributeChangeOf(id, icon);
    if (change.key.isEmpty() || !change.value)
        return;
    icon.Attributes.SetValue(change.key, *change.value);
    icon.SetModified(true, true);
    icon.Redraw(false);
}

// The icon the menu was opened on, when the pane under the menu's point still holds it.
CQuibIcon* menuIcon(CPane* pane)
{
    if (!pane || !thePaneMenu.icon || !pane->ContainsIcon(thePaneMenu.icon))
        return nullptr;
    return pane->IconAt(thePaneMenu.point.x, thePaneMenu.point.y) == thePaneMenu.icon
               ? const_cast<CQuibIcon*>(thePaneMenu.icon)
               : nullptr;
}

// The menu's own commands, asked of the owner of the pane that opened the menu; `pane` is the pane under
// the menu's point, if any.
void runPaneCommand(CPaneOwner& owner, int id, CPane* pane, CQuibIcon* icon)
{
    switch (id) {
    case kMenuEditPage:
        owner.PaneCommand(kCommandEditPage, false);
        break;
    case kMenuEditIcon:
        owner.PaneCommand(kCommandEditSelectedIcon, false);
        break;
    case kMenuCutIcon:
        owner.PaneCommand(kCommandCut, false);
        break;
    case kMenuCopyIcon:
        owner.PaneCommand(kCommandCopy, false);
        break;
    case kMenuPasteIcon:
        owner.PaneCommand(kCommandPaste, false);
        break;
    case kMenuDeleteIcon:
        if (pane && icon)
            pane->DeleteSelectedIcons(false);
        break;
    default: // kMenuNewIcon
        if (pane && pane->GetPage())
            owner.RunIconWizard(nullptr, 1, pane, thePaneMenu.point.x, thePaneMenu.point.y);
        break;
    }
}

} // namespace

std::optional<QString> TextSizeFromInput(const QString& typed)
{
    const QString text = typed.trimmed();
    int digits = 0;
    while (digits < text.size() && text.at(digits).isDigit())
        ++digits;
    const int number = text.left(std::min<qsizetype>(digits, 9)).toInt();
    if (text.indexOf(QLatin1Char('%')) > 0 && number >= kMinPercent && number <= kMaxPercent)
        return QStringLiteral("%1%").arg(number);
    if (text.indexOf(QLatin1String("pt")) > 0 && number >= kMinPoints && number <= kMaxPoints)
        return QStringLiteral("%1pt").arg(number);
    if (text.contains(QLatin1String("auto")))
        return QStringLiteral("auto");
    return std::nullopt;
}

QString AlignmentWithItem(const QString& current, const QString& itemValue)
{
    static const QStringList horizontal{QStringLiteral("left"), QStringLiteral("hcenter"),
                                        QStringLiteral("right")};
    static const QStringList vertical{QStringLiteral("top"), QStringLiteral("bottom"),
                                      QStringLiteral("vcenter")};
    const QStringList& axis = horizontal.contains(itemValue) ? horizontal : vertical;
    QStringList words;
    for (const QString& word : current.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (!axis.contains(word))
            words.append(word);
    words.append(itemValue);
    return words.join(QLatin1Char(' '));
}

bool CPane::OnRButtonDown(unsigned /*flags*/, int x, int y, std::uint32_t /*tick*/)
{
    if (theProgramMode & kProgramModeDeveloper)
        SetStatusText(QStringLiteral("RightButtonDown"));
    if (!PaneRect.PtInRect(CPoint(x, y)))
        return false;
    if (theEditTool == kEditToolBrowse || !IsEditable())
        return true;
    CQuibIcon* icon = IconAt(x, y);
    if (icon) {
        ClearSelection();
        icon->Flags |= kIconHandles;
        icon->Select();
    }
    thePaneMenu = PaneMenuState{CPoint(x, y), icon, true};
    QMenu menu;
    buildMenu(menu, *this, icon);
    const int chosen = lumivo::ui::execMenu(menu, QCursor::pos());
    if (chosen >= kFirstPropertyCommand && chosen <= kLastPropertyCommand)
        OnPropertyCommand(chosen);
    thePaneMenu = PaneMenuState{};
    return true;
}

void CPane::OnPropertyCommand(int commandId)
{
    if (!thePaneMenu.open)
        return;
    CPane* pane = FindPaneAt(thePaneMenu.point.x, thePaneMenu.point.y);
    CQuibIcon* icon = menuIcon(pane);
    if (commandId >= kMenuEditPage && commandId <= kMenuNewIcon) {
        runPaneCommand(Owner(), commandId, pane, icon);
        ClearSelection();
        return;
    }
    if (icon)
        changeAttribute(commandId, *icon);
}
