#include "platform/display/DisplayCheck.h"

#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <cstring>

namespace lumivo::display
{

struct DisplayCheck::Connection {
    xcb_connection_t* handle = nullptr;
    ~Connection() { xcb_disconnect(handle); }
};

namespace
{

// The value of the command-line option `name` (Qt takes "-name value" and "--name value"), or null.
const char* optionValue(int argc, char** argv, const char* name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const char* option = argv[i];
        if (option[0] == '-' && option[1] == '-')
            ++option;
        if (option[0] == '-' && std::strcmp(option + 1, name) == 0)
            return argv[i + 1];
    }
    return nullptr;
}

// Whether Qt starts on xcb with nothing to fall back to: the platform named on the command line or by
// QT_QPA_PLATFORM is "xcb" alone (options after a colon aside), or none is named outside a Wayland
// session, where Qt's own choice on this system is xcb.
bool startsOnXcbAlone(int argc, char** argv)
{
    const char* named = optionValue(argc, argv, "platform");
    const QByteArray platform = named ? QByteArray(named) : qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform.split(':').front() == "xcb" && !platform.contains(';');
    return qgetenv("XDG_SESSION_TYPE") != "wayland" && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

DisplayCheck::DisplayCheck(int argc, char** argv)
{
    if (!startsOnXcbAlone(argc, argv))
        return;
    const char* named = optionValue(argc, argv, "display");
    const QByteArray display = named ? QByteArray(named) : qgetenv("DISPLAY");
    if (display.isEmpty()) {
        m_problem = QStringLiteral("cannot open the display: DISPLAY is not set");
        return;
    }
    m_connection = std::make_unique<Connection>();
    m_connection->handle = xcb_connect(display.constData(), nullptr);
    if (xcb_connection_has_error(m_connection->handle))
        m_problem = QStringLiteral("cannot open the display \"%1\"").arg(QString::fromLocal8Bit(display));
}

DisplayCheck::~DisplayCheck() = default;

} // namespace lumivo::display
