#include "UiModuleTestAccess.h"

#include <Vexir/Console.h>

#include <dlfcn.h>

#include <string>

namespace VexirTest {

const Vexir::ui::TestAccess* UiModuleTestAccess()
{
    Dl_info library = {};
    if (!dladdr(reinterpret_cast<void*>(&Vexir::GetMgrConsole), &library) || !library.dli_fname)
        return nullptr;
    std::string path = library.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + Vexir::ui::kModuleFileName;
    // The same path the library opens: one module in the process.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return nullptr;
    auto entry = reinterpret_cast<Vexir::ui::TestAccessEntry>(dlsym(module, Vexir::ui::kTestAccessEntry));
    return entry ? entry() : nullptr;
}

}  // namespace VexirTest
