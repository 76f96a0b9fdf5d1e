#include "shell/App.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CQuibApp app;
    return app.Run(QCoreApplication::arguments());
}
