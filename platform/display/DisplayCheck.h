#pragma once
// Qt ends the program with an abort (and a core dump) when its platform cannot reach the display. The
// program looks first, so that a person who starts it without a display reads why in one line.

#include <QString>

#include <memory>

namespace lumivo::display
{

// Reaches the X display that Qt's xcb platform is about to use: the one named by "-display" on the
// command line, else by DISPLAY. Other platforms (offscreen, Wayland, a list that Qt falls back
// through) are left to Qt. While the check lives it keeps its connection, so that an X server that
// resets when its last client leaves cannot reset between this check and Qt's own connection.
class DisplayCheck
{
public:
    DisplayCheck(int argc, char** argv);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Empty when the display answered or is not this check's to try; else a plain line saying which
    // display could not be opened.
    const QString& problem() const { return m_problem; }

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
    QString m_problem;
};

} // namespace lumivo::display
