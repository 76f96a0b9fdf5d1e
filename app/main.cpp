#include "packages/PagePackages.h"
#include "platform/modules/Modules.h"
#include "shell/App.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (lumivo::modules::reportMissing())
        return 1;
    QApplication application(argc, argv);
    // The layers above the shell reach it through hooks that they install before it starts.
    InstallPagePackages();
    CQuibApp app;
    return app.Run(QCoreApplication::arguments());
}
