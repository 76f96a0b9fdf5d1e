// The built program started from a terminal that has no display: one plain line on stderr and a
// non-zero exit status, never an abort.

#include "tests/support/LumivoTest.h"

#include <QFileInfo>
#include <QProcess>

#include <utility>
#include <vector>

using namespace lumivo::test;

namespace
{

// A display that no X server on this machine serves (each keeps its socket and lock under /tmp). Not
// ":99": xvfb-run takes that one first, and other test runs may hold it.
QString unusedDisplay()
{
    for (int number = 4200;; ++number) {
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) &&
            !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            return QStringLiteral(":%1").arg(number);
    }
}

class ProgramStartTest : public LumivoTest
{
protected:
    // Starts the program with these variables changed (an empty value removes one) and waits for its end.
    void start(const std::vector<std::pair<QString, QString>>& variables)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), tempDir());
        for (const auto& [name, value] : variables) {
            if (value.isEmpty())
                environment.remove(name);
            else
                environment.insert(name, value);
        }
        m_program.setProcessEnvironment(environment);
        m_program.setWorkingDirectory(tempDir());
        m_program.start(QStringLiteral(LUMIVO_PROGRAM), {});
        ASSERT_TRUE(m_program.waitForFinished(60000));
    }

    void expectOneLineAndAFailure(const QString& line)
    {
        EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit) << "no abort";
        EXPECT_NE(m_program.exitCode(), 0);
        EXPECT_EQ(QString::fromLocal8Bit(m_program.readAllStandardError()), line + QLatin1Char('\n'));
    }

    QProcess m_program;
};

} // namespace

TEST_F(ProgramStartTest, WithoutItsDisplayTheProgramSaysSoInOneLineAndEnds)
{
    const QString display = unusedDisplay();
    start({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}, {QStringLiteral("DISPLAY"), display}});
    expectOneLineAndAFailure(QStringLiteral("lumivo: cannot open the display \"%1\"").arg(display));

    // Nothing named at all outside a Wayland session: Qt would take the X display.
    start({{QStringLiteral("QT_QPA_PLATFORM"), {}},
           {QStringLiteral("DISPLAY"), {}},
           {QStringLiteral("WAYLAND_DISPLAY"), {}},
           {QStringLiteral("XDG_SESSION_TYPE"), {}}});
    expectOneLineAndAFailure(QStringLiteral("lumivo: cannot open the display: DISPLAY is not set"));
}
