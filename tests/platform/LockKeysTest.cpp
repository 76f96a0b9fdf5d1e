// The lock keys' lights: the offscreen platform of the tests cannot tell them, and on a real X server
// (an Xvfb of the test's own, when installed) they follow the locked modifiers.

#include "platform/keyboard/LockKeys.h"
#include "tests/support/LumivoTest.h"

#include <QProcess>
#include <QStandardPaths>

#include <memory>

// Xlib's macros (None, Bool, Status) come last, after every header that might use those names.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

using lumivo::keyboard::LockKeys;

namespace
{

// An X server of this test's own on a display it chooses itself, so that tests running side by side
// never meet; with an Xlib connection to it.
class PrivateXServer
{
public:
    PrivateXServer()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("64x64x24")});
        // The server writes its display number once it accepts connections.
        if (!m_server.waitForStarted(10'000) || !m_server.waitForReadyRead(20'000))
            return;
        const QByteArray name = ":" + m_server.readLine().trimmed();
        m_display = XOpenDisplay(name.constData());
    }
    ~PrivateXServer()
    {
        if (m_display)
            XCloseDisplay(m_display);
        m_server.terminate();
        m_server.waitForFinished(10'000);
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    Display* display() const { return m_display; }

    // Locks or unlocks the modifier that the key `keysym` locks, as a press of that key would.
    void setLocked(KeySym keysym, bool locked)
    {
        const unsigned mask = XkbKeysymToModifiers(m_display, keysym);
        XkbLockModifiers(m_display, XkbUseCoreKbd, mask, locked ? mask : 0);
        XSync(m_display, False);
    }

private:
    QProcess m_server;
    Display* m_display = nullptr;
};

} // namespace

class LockKeysTest : public lumivo::test::LumivoTest
{
};

TEST_F(LockKeysTest, OffscreenCannotTellAndNeitherCanNoDisplay)
{
    EXPECT_EQ(lumivo::keyboard::lockKeys(), std::nullopt);
    EXPECT_EQ(lumivo::keyboard::lockKeysOf(nullptr), std::nullopt);
}

TEST_F(LockKeysTest, AnXServerTellsWhichLocksAreOn)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    PrivateXServer server;
    ASSERT_NE(server.display(), nullptr) << "the private X server did not start";

    EXPECT_EQ(lumivo::keyboard::lockKeysOf(server.display()), LockKeys{});
    server.setLocked(XK_Caps_Lock, true);
    EXPECT_EQ(lumivo::keyboard::lockKeysOf(server.display()), (LockKeys{true, false, false}));
    server.setLocked(XK_Num_Lock, true);
    EXPECT_EQ(lumivo::keyboard::lockKeysOf(server.display()), (LockKeys{true, true, false}));
    server.setLocked(XK_Caps_Lock, false);
    EXPECT_EQ(lumivo::keyboard::lockKeysOf(server.display()), (LockKeys{false, true, false}));
}
