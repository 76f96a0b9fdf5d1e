#include "tests/support/LumivoTest.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <vector>

namespace lumivo::test
{

namespace
{

std::vector<std::function<void()>>& resets()
{
    static std::vector<std::function<void()>> all;
    return all;
}

void setFolderVariable(const char* name, const QString& root, const char* sub)
{
    const QString folder = root + QLatin1Char('/') + QLatin1String(sub);
    QDir().mkpath(folder);
    ::setenv(name, folder.toUtf8().constData(), 1);
}

} // namespace

void registerGlobalReset(std::function<void()> reset)
{
    resets().push_back(std::move(reset));
}

void resetGlobals()
{
    for (const auto& reset : resets())
        reset();
}

QString testData(const QString& name)
{
    return QStringLiteral(LUMIVO_TEST_DATA "/") + name;
}

void LumivoTest::SetUp()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/lumivo-test-XXXXXX"));
    dir.setAutoRemove(false);
    m_tempDir = dir.path();
    setFolderVariable("HOME", m_tempDir, "home");
    setFolderVariable("XDG_CONFIG_HOME", m_tempDir, "config");
    setFolderVariable("XDG_DATA_HOME", m_tempDir, "data");
    resetGlobals();
}

void LumivoTest::TearDown()
{
    resetGlobals();
    if (!m_tempDir.isEmpty())
        QDir(m_tempDir).removeRecursively();
}

} // namespace lumivo::test
