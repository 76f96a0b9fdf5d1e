#pragma once
// The state of the admin folder as a fresh start has it: one call that puts back every global of
// admin/. Tests call it between cases; each module keeps the reset of its own globals beside their
// definitions. See "Globals and resets" in doc/design.md.

void ResetAdminState();
