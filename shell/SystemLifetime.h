#pragma once
// The program's start and end around the windows: InitSystem brings up sound, the colour dialog's
// custom colours, the folders, the frame sizes and the data files after the settings are read;
// ExitSystem takes everything down again once, in the order that lets each part save before what it
// needs goes, and writes back the settings that belong to the session.

// The clipboard format of copied icons. Qt takes any name as a format, so there is nothing to
// register.
inline constexpr char kQuibIconFormat[] = "CF_QUIBICON";

void InitSystem();
// Does nothing while the program is already shutting down.
void ExitSystem();
