#include "packages/PagePackages.h"
#include "platform/display/DisplayCheck.h"
#include "platform/modules/Modules.h"
#include "shell/App.h"

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
    // The layers above the shell reach it through hooks that they install before it starts.
    InstallPagePackages();
    CQuibApp app;
    return app.Run(QCoreApplication::arguments());
}
