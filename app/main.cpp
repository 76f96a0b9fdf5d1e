#include "packages/PagePackages.h"
#include "shell/App.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The layers above the shell reach it through hooks that they install before it starts.
    InstallPagePackages();
    CQuibApp app;
    return app.Run(QCoreApplication::arguments());
}
