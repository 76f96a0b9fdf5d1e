#include "shell/ColorDialogs.h"

#include "platform/ui/Ui.h"
#include "system/SystemSettings.h"

#include <optional>

void ShowUserColorsInDialog()
{
    for (int i = 0; i < 16; ++i)
        lumivo::ui::setCustomColor(i, toQColor(theUserColors[i]));
}

void TakeUserColorsFromDialog()
{
    for (int i = 0; i < 16; ++i) {
        const COLORREF custom = fromQColor(lumivo::ui::customColor(i));
        // A colour the dialog left alone keeps its stored bits above the colour.
        if (custom != (theUserColors[i] & 0xFFFFFF))
            theUserColors[i] = custom;
    }
}

bool PickColor(COLORREF& color)
{
    ShowUserColorsInDialog();
    const std::optional<QColor> chosen = lumivo::ui::chooseColor(toQColor(color));
    TakeUserColorsFromDialog();
    if (!chosen)
        return false;
    color = fromQColor(*chosen);
    return true;
}
