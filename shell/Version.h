#pragma once
// The program's build version, fixed at compile time. The splash window and the About command show it
// as the version text; the menus and the window title build on the same numbers.

#include <QString>

namespace lumivo::version
{

constexpr int kMajor = 2;
constexpr int kMinor = 0;
constexpr int kBuild = 1;
constexpr int kRevision = 0;

// The four numbers joined by points: "2.0.1.0".
QString buildVersionText();

} // namespace lumivo::version

// The version text of the splash and About windows: the build version followed by " BETA".
QString GetVersionText();
