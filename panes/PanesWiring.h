#pragma once
// The panes' wiring: what the view connects to the model's events, made in one place. main() and the
// test fixture call WirePanes() once the layers are reset and the application exists, before the
// shell's wiring, and UnwirePanes() after it is undone; an unwire undoes exactly what its wire did.

void WirePanes();
void UnwirePanes();
