#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

// Every test program runs headless, with a private temporary folder, in the time zone the version
// gates are checked in.
int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::setenv("TZ", "Europe/Copenhagen", 1);
    QTemporaryDir runDir(QDir::tempPath() + QStringLiteral("/lumivo-run-XXXXXX"));
    ::setenv("TMPDIR", runDir.path().toUtf8().constData(), 1);
    const QString runtime = runDir.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ::setenv("XDG_RUNTIME_DIR", runtime.toUtf8().constData(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
