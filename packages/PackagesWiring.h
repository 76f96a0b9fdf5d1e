#pragma once
// The page packages' wiring: the export and import commands and the data-file export go into the
// shell's hooks (shell/Commands.h, shell/CurrentUser.h). main() and the test fixture call
// WirePackages() after WireAuthoring() and UnwirePackages() before UnwireAuthoring().

void WirePackages();
void UnwirePackages();
