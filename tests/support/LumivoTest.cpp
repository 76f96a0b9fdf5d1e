#include "tests/support/LumivoTest.h"

#include "admin/AdminState.h"
#include "admin/AdminWiring.h"
#include "authoring/AuthoringState.h"
#include "authoring/AuthoringWiring.h"
#include "core/CoreState.h"
#include "media/MediaState.h"
#include "packages/PackagesState.h"
#include "packages/PackagesWiring.h"
#include "panes/PanesState.h"
#include "panes/PanesWiring.h"
#include "platform/PlatformState.h"
#include "shell/ShellState.h"
#include "shell/ShellWiring.h"
#include "store/StoreState.h"
#include "system/SystemState.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace lumivo::test
{

namespace
{

void setFolderVariable(const char* name, const QString& root, const char* sub)
{
    const QString folder = root + QLatin1Char('/') + QLatin1String(sub);
    QDir().mkpath(folder);
    ::setenv(name, folder.toUtf8().constData(), 1);
}

// Sound goes to SDL's silent driver, never to a file a test named.
void resetAudioEnvironment()
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("SDL_DISKAUDIOFILE");
    ::unsetenv("SDL_DISKAUDIOFILEIN");
    ::unsetenv("SDL_DISKAUDIODELAY");
}

// The layers the program links connect to those below them, as main() has them: bottom layer first.
void wireLayers()
{
#ifdef LUMIVO_TEST_LINKS_PANES
    WirePanes();
#endif
#ifdef LUMIVO_TEST_LINKS_SHELL
    WireShell();
#endif
#ifdef LUMIVO_TEST_LINKS_ADMIN
    WireAdmin();
#endif
#ifdef LUMIVO_TEST_LINKS_AUTHORING
    WireAuthoring();
#endif
#ifdef LUMIVO_TEST_LINKS_PACKAGES
    WirePackages();
#endif
}

void unwireLayers()
{
#ifdef LUMIVO_TEST_LINKS_PACKAGES
    UnwirePackages();
#endif
#ifdef LUMIVO_TEST_LINKS_AUTHORING
    UnwireAuthoring();
#endif
#ifdef LUMIVO_TEST_LINKS_ADMIN
    UnwireAdmin();
#endif
#ifdef LUMIVO_TEST_LINKS_SHELL
    UnwireShell();
#endif
#ifdef LUMIVO_TEST_LINKS_PANES
    UnwirePanes();
#endif
}

} // namespace

void resetGlobals()
{
    // Top layer first: what a higher layer holds may refer into a lower one, never the other way. A test
    // program resets the layers it links (tests/CMakeLists.txt).
#ifdef LUMIVO_TEST_LINKS_PACKAGES
    ResetPackagesState();
#endif
#ifdef LUMIVO_TEST_LINKS_ADMIN
    ResetAdminState();
#endif
#ifdef LUMIVO_TEST_LINKS_AUTHORING
    ResetAuthoringState();
#endif
#ifdef LUMIVO_TEST_LINKS_SHELL
    ResetShellState();
#endif
#ifdef LUMIVO_TEST_LINKS_PANES
    ResetPanesState();
#endif
#ifdef LUMIVO_TEST_LINKS_CORE
    ResetCoreState();
#endif
#ifdef LUMIVO_TEST_LINKS_MEDIA
    ResetMediaState();
#endif
#ifdef LUMIVO_TEST_LINKS_SERVICES
    ResetSystemState();
#endif
#ifdef LUMIVO_TEST_LINKS_STORE
    ResetStoreState();
#endif
    // packages/zip holds no state between calls.
    lumivo::platform::resetPlatformState();
    resetAudioEnvironment();
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
    wireLayers();
}

void LumivoTest::TearDown()
{
    unwireLayers();
    resetGlobals();
    if (!m_tempDir.isEmpty())
        QDir(m_tempDir).removeRecursively();
}

} // namespace lumivo::test
