#include "platform/modules/Modules.h"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace lumivo::modules
{

namespace
{

// Loaded modules stay loaded until the program ends: their code may be on any stack.
struct ModuleState {
    std::mutex mutex; // guards the two below; held while a module loads, so that it loads once
    std::vector<std::string> files;
    std::map<std::string, void*> handles;
    std::thread preloader;

    ~ModuleState()
    {
        if (preloader.joinable())
            preloader.join();
    }
};

ModuleState& state()
{
    static ModuleState modules;
    return modules;
}

std::string pathOf(const std::string& fileName)
{
    return (std::filesystem::path(folder()) / fileName).string();
}

// The module's handle; null, with the loader's reason in `error`, when it cannot be loaded.
void* load(const std::string& fileName, std::string& error)
{
    ModuleState& modules = state();
    const std::lock_guard lock(modules.mutex);
    if (void* handle = modules.handles[fileName])
        return handle;
    // Its own libraries stay out of the program's global scope, where every later look-up would pass.
    void* handle = ::dlopen(pathOf(fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        error = reason ? reason : "unknown reason";
    }
    modules.handles[fileName] = handle;
    return handle;
}

[[noreturn]] void failInstallation(const std::string& what)
{
    std::fprintf(stderr, "lumivo: %s\n", what.c_str());
    std::abort();
}

} // namespace

Registration::Registration(const char* fileName)
{
    ModuleState& modules = state();
    const std::lock_guard lock(modules.mutex);
    modules.files.emplace_back(fileName);
}

std::string folder()
{
    // Worked out once, before anything could change the working folder that a relative path needs.
    // Never destroyed: the preloader may still read it while the program's statics are destroyed,
    // and this string, made after the module state, would go before the state's destructor joins it.
    static const std::string& modules = *new std::string([] {
        std::error_code error;
        std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            // Without /proc: the path the program was started by.
            const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
            program = std::filesystem::absolute(started ? started : "", error);
        }
        return (program.parent_path() / "modules").string();
    }());
    return modules;
}

std::vector<std::string> missing()
{
    std::vector<std::string> files;
    {
        ModuleState& modules = state();
        const std::lock_guard lock(modules.mutex);
        files = modules.files;
    }
    std::vector<std::string> paths;
    for (const std::string& file : files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(pathOf(file), error))
            paths.push_back(pathOf(file));
    }
    return paths;
}

bool reportMissing()
{
    const std::vector<std::string> paths = missing();
    for (const std::string& path : paths)
        std::fprintf(stderr, "lumivo: %s is missing: the program's modules belong beside it\n", path.c_str());
    return !paths.empty();
}

void preloadInBackground()
{
    ModuleState& modules = state();
    const std::lock_guard lock(modules.mutex);
    if (modules.preloader.joinable())
        return;
    modules.preloader = std::thread([files = modules.files] {
        // A module that fails here fails again, with its reason, where it is first used.
        for (const std::string& file : files) {
            std::string error;
            load(file, error);
        }
    });
}

} // namespace lumivo::modules

extern "C" void lumivo_bind_module(const char* fileName, const char* const* names, void** table,
                                   std::size_t count) noexcept
{
    std::string error;
    void* handle = lumivo::modules::load(fileName, error);
    if (!handle)
        lumivo::modules::failInstallation("cannot load the module " + lumivo::modules::pathOf(fileName) +
                                          ": " + error);
    for (std::size_t i = 0; i < count; ++i) {
        void* address = ::dlsym(handle, names[i]);
        if (!address)
            lumivo::modules::failInstallation("the module " + std::string(fileName) + " has no " + names[i]);
        __atomic_store_n(&table[i], address, __ATOMIC_RELEASE);
    }
}
