#pragma once
// The version text that the splash window and the About command show: the program's build version
// (lumivo::kProgramVersion, shell/ProgramVersion.h) as four numbers, and " BETA".

#include <QString>

// "2.0.1.0 BETA" for version 2.0.1.0.
QString GetVersionText();
