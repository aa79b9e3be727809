#include "Foundation/UiModule.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace Vexir {
namespace ui {

namespace {

// Beside the library itself, wherever the host found it.
std::string ModulePath()
{
    if (const char* chosen = std::getenv("VEXIR_UI_MODULE"))
        return chosen;
    Dl_info info = {};
    if (dladdr(reinterpret_cast<void*>(&LoadModule), &info) && info.dli_fname) {
        std::string library = info.dli_fname;
        const std::size_t slash = library.rfind('/');
        if (slash != std::string::npos)
            return library.substr(0, slash + 1) + kModuleFileName;
    }
    return kModuleFileName;
}

struct Loaded {
    const Module* module = nullptr;
    std::string whyNot;
};

// Loaded once and kept for the life of the process: the window system's
// libraries do not take well to being unloaded under their own threads.
Loaded Load()
{
    Loaded loaded;
    const std::string path = ModulePath();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        loaded.whyNot = "the UI module " + path + " could not be loaded (" + (error ? error : "unknown error") + ")";
        return loaded;
    }
    auto entry = reinterpret_cast<ModuleEntry>(dlsym(handle, kModuleEntry));
    const Module* module = entry ? entry() : nullptr;
    if (!module || module->version != kModuleVersion) {
        loaded.whyNot = "the UI module " + path + " does not match this library";
        return loaded;
    }
    loaded.module = module;
    return loaded;
}

}  // namespace

const Module* LoadModule(std::string& whyNot)
{
    // Never destroyed: a host's static destructor may still open a window.
    static const Loaded* const loaded = new Loaded(Load());
    whyNot = loaded->whyNot;
    return loaded->module;
}

}  // namespace ui
}  // namespace Vexir
