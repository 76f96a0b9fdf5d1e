#pragma once
// The colour dialog as the program uses it: its sixteen custom colours are the person's own colours
// (theUserColors), given to it at start-up and taken back at exit, and a colour is picked through it.

#include "platform/types/WinTypes.h"

// The colour dialog's sixteen custom colours: given theUserColors, and taken back into it.
void ShowUserColorsInDialog();
void TakeUserColorsFromDialog();

// Asks for a colour starting from `color`, with theUserColors as the dialog's custom colours; on OK
// the chosen colour is stored and TRUE returned, otherwise the colour stays as it was.
bool PickColor(COLORREF& color);
