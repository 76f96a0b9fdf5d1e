// Build-time tool: turns the readable sources of the default data set (data/) into the data file of the
// Data folder and the template user file of the Users folder, through the program's own stored classes.
//
//   lumivo-defaultdata <sources folder> <data file> <template user file>
//
// Each file is written under a scratch name and renamed into place once it is whole, so a failed run
// leaves no half-written file behind for the build to take as done.

#include "tools/defaultdata/DataFileWriter.h"
#include "tools/defaultdata/DataSources.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace
{

int failWith(const QString& message)
{
    QTextStream(stderr) << "lumivo-defaultdata: " << message << Qt::endl;
    return 1;
}

bool moveIntoPlace(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::rename(from, to);
}

} // namespace

int main(int argc, char** argv)
{
    // Drawn and spoken without a screen or a sound card, on a build machine.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    // A build machine's session may have no runtime folder; Qt wants one and would say so on every build.
    QTemporaryDir runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 4)
        return failWith(QStringLiteral("usage: lumivo-defaultdata <sources folder> <data file> <user file>"));

    using namespace lumivo::defaultdata;
    QString error;
    const auto sources = readDataSources(arguments[1], error);
    if (!sources)
        return failWith(error);
    const QString dataScratch = arguments[2] + QStringLiteral(".part");
    const QString userScratch = arguments[3] + QStringLiteral(".part");
    if (!writeDataFile(*sources, dataScratch, error) ||
        !writeTemplateUserFile(*sources, userScratch, error)) {
        QFile::remove(dataScratch);
        return failWith(error);
    }
    if (!moveIntoPlace(dataScratch, arguments[2]) || !moveIntoPlace(userScratch, arguments[3]))
        return failWith(QStringLiteral("the files cannot be moved into place"));
    return 0;
}
