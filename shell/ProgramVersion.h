#pragma once
// The program's version. Our program file carries no version resource, so the version is a constant of
// the build, given here once; it is packed as the title and the data files compare it:
// major << 24 | minor << 16 | build << 8 | revision, each part cut to 8 bits.

#include "platform/types/WinTypes.h"

#include <QString>

namespace lumivo
{

constexpr DWORD packVersion(unsigned major, unsigned minor, unsigned build, unsigned revision)
{
    return (major & 0xFFu) << 24 | (minor & 0xFFu) << 16 | (build & 0xFFu) << 8 | (revision & 0xFFu);
}

constexpr DWORD kProgramVersion = packVersion(2, 0, 1, 0);

constexpr int versionMajor(DWORD version)
{
    return static_cast<int>(version >> 24 & 0xFF);
}
constexpr int versionMinor(DWORD version)
{
    return static_cast<int>(version >> 16 & 0xFF);
}

} // namespace lumivo

// The version of the program file (GetExeFilePath), packed.
DWORD GetProgramVersion();
// The packed version of a file: the program's own version for the program file (by its canonical path,
// so a link to it counts too), 0 for every other file, which has no version of ours.
DWORD GetFileVersion(const QString& path);
// "major.minor.build.revision" of GetProgramVersion().
QString FormatProgramVersion();
