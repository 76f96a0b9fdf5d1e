#pragma once
// Modules: libraries that the start page does not need (the media library behind clips and sound
// decoding, with its hundred-odd dependencies) are built into shared modules that lie in "modules"
// beside the program. The program links only stubs of their functions, made at build time by
// cmake/module-stubs.py: the first call loads the module and fills the stubs' table, later calls jump
// straight through. Callers include the modules' own headers and never know.

#include <cstddef>
#include <string>
#include <vector>

namespace lumivo::modules
{

// Each module's stubs register its file name at start, before main().
class Registration
{
public:
    explicit Registration(const char* fileName);
};

// The modules' folder: "modules" beside the running program, wherever it was started from.
std::string folder();
// The full paths of the registered modules that are not in that folder.
std::vector<std::string> missing();
// Names each missing module on stderr; true when there was one. The program does not start without
// them: it would fail at the first clip or sound instead, with the person's work under way.
bool reportMissing();
// Loads every registered module on a thread of its own, so that a first use does not wait for it.
// Joined when the program ends.
void preloadInBackground();

} // namespace lumivo::modules

// Called by the stubs on the first call into a module: loads it (once) and fills `table` with the
// addresses of `names`. A module that cannot be loaded ends the program with the reason on stderr: the
// installation is broken, and no caller could go on without the function it called.
extern "C" void lumivo_bind_module(const char* fileName, const char* const* names, void** table,
                                   std::size_t count) noexcept;
