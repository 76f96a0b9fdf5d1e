#include "shell/Version.h"

#include "shell/ProgramVersion.h"

QString GetVersionText()
{
    // The build's own constant, not the version of whatever file the program was started from.
    constexpr DWORD version = lumivo::kProgramVersion;
    const QString numbers = QStringLiteral("%1.%2.%3.%4")
                                .arg(version >> 24 & 0xFF)
                                .arg(version >> 16 & 0xFF)
                                .arg(version >> 8 & 0xFF)
                                .arg(version & 0xFF);
    return QStringLiteral("%1 BETA").arg(numbers);
}
