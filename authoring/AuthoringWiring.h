#pragma once
// The authoring tools' wiring: the hooks of the editors and wizards that this folder supplies to the
// shell, the panes and the model, made in one place. main() and the test fixture call WireAuthoring()
// after WireAdmin() and UnwireAuthoring() before UnwireAdmin().

void WireAuthoring();
void UnwireAuthoring();
