#include "shell/Version.h"

namespace lumivo::version
{

QString buildVersionText()
{
    return QStringLiteral("%1.%2.%3.%4").arg(kMajor).arg(kMinor).arg(kBuild).arg(kRevision);
}

} // namespace lumivo::version

QString GetVersionText()
{
    return QStringLiteral("%1 BETA").arg(lumivo::version::buildVersionText());
}
