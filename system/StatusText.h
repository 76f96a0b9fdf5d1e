#pragma once
// The status text as an announcement of the services: SetStatusText (system/SystemStrings.h) tells
// it here, and whatever shows it connects to changed(): the main frame's status bar, through the
// shell's wiring (shell/ShellWiring.h). Nothing below the shell knows where the text is shown, and a
// key press that clears it makes no call up.

#include <QObject>
#include <QString>

class CStatusText : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void Announce(const QString& text) { emit changed(text); }

signals:
    void changed(const QString& text);
};

// The services' one status text. It lives as long as the process, so that a part that sets the text
// while it goes at exit finds it still there.
extern CStatusText& theStatusText;

// Disconnects every receiver, so that no test's receivers outlive it; the shell's wiring connects the
// status bar again.
void ResetStatusText();
