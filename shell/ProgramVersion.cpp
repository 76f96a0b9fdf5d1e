#include "shell/ProgramVersion.h"

#include "store/Registry.h"

#include <QFileInfo>

DWORD GetProgramVersion()
{
    return GetFileVersion(GetExeFilePath());
}

DWORD GetFileVersion(const QString& path)
{
    if (path.isEmpty())
        return 0;
    const QString program = QFileInfo(GetExeFilePath()).canonicalFilePath();
    if (program.isEmpty() || QFileInfo(path).canonicalFilePath() != program)
        return 0;
    return lumivo::kProgramVersion;
}

QString FormatProgramVersion()
{
    const DWORD version = GetProgramVersion();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version >> 24 & 0xFF)
        .arg(version >> 16 & 0xFF)
        .arg(version >> 8 & 0xFF)
        .arg(version & 0xFF);
}
