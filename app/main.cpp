#include <QApplication>
#include <QLabel>

// The application object and its start-up come with the shell; until then the program only proves
// that it starts.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label("Lumivo");
    label.resize(320, 120);
    label.show();
    if (qEnvironmentVariableIsSet("LUMIVO_EXIT_AT_ONCE"))
        return 0;
    return app.exec();
}
