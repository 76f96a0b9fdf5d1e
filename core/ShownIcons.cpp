#include "core/ShownIcons.h"

#include "core/Page.h"

#include <algorithm>
#include <utility>

namespace
{

struct ShownBy {
    const void* view = nullptr;
    ShownIcons shown;
};

// Never deleted, on purpose: the panes are globals too, and a pane that dies at exit after this
// module's statics still forgets what it showed.
std::vector<ShownBy>& views()
{
    static auto* held = new std::vector<ShownBy>;
    return *held;
}

bool holds(const CQuibIconList& icons, const CQuibIcon* icon)
{
    return std::ranges::any_of(icons, [icon](const auto& held) { return held.get() == icon; });
}

bool shows(const ShownIcons& shown, const CQuibIcon* icon)
{
    if (shown.page && shown.page->HoldsIcon(icon))
        return true;
    return std::ranges::any_of(shown.ownIcons,
                               [icon](const CQuibIconList* list) { return holds(*list, icon); });
}

const ShownBy* viewShowing(const CQuibIcon* icon)
{
    const auto found =
        std::ranges::find_if(views(), [icon](const ShownBy& each) { return shows(each.shown, icon); });
    return found == views().end() ? nullptr : &*found;
}

} // namespace

void NoteShownIcons(const void* view, ShownIcons shown)
{
    const auto found = std::ranges::find(views(), view, &ShownBy::view);
    if (found != views().end())
        found->shown = std::move(shown);
    else
        views().push_back({view, std::move(shown)});
}

void ForgetShownIcons(const void* view)
{
    std::erase_if(views(), [view](const ShownBy& each) { return each.view == view; });
}

CQuibBg* ShownPageOf(const CQuibIcon* icon)
{
    const ShownBy* view = viewShowing(icon);
    return view ? view->shown.page : nullptr;
}

bool IsIconShown(const CQuibIcon* icon)
{
    return viewShowing(icon) != nullptr;
}

void ResetShownIcons()
{
    views().clear();
}
