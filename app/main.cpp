#include "admin/AdminWiring.h"
#include "authoring/AuthoringWiring.h"
#include "packages/PackagesWiring.h"
#include "panes/PanesWiring.h"
#include "platform/display/DisplayCheck.h"
#include "platform/modules/Modules.h"
#include "shell/App.h"
#include "shell/ShellWiring.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int main(int argc, char** argv)
{
    if (lumivo::modules::reportMissing())
        return 1;
    // Without a display Qt would abort with a core dump; a person starting the program reads why.
    std::optional<lumivo::display::DisplayCheck> display(std::in_place, argc, argv);
    if (!display->problem().isEmpty()) {
        std::fprintf(stderr, "lumivo: %s\n", qPrintable(display->problem()));
        return 1;
    }
    QApplication application(argc, argv);
    display.reset(); // Qt holds a connection of its own now
    // Each layer connects to the layers below it before the program starts, in layer order, and lets go
    // in reverse once it has ended.
    WirePanes();
    WireShell();
    WireAdmin();
    WireAuthoring();
    WirePackages();
    int code = 0;
    {
        CQuibApp app;
        code = app.Run(QCoreApplication::arguments());
    }
    UnwirePackages();
    UnwireAuthoring();
    UnwireAdmin();
    UnwireShell();
    UnwirePanes();
    return code;
}
