#include "Foundation/LibraryModule_Win32.h"

#include "Foundation/LibraryLifetime.h"

namespace {
HMODULE s_hModule = nullptr;
}

namespace Vexir {

HMODULE LibraryModule() { return s_hModule; }

}  // namespace Vexir

// Remembers the module handle; everything else starts in a call from the host.
// When FreeLibrary unloads the library, the managers go before the runtime runs
// the library's own static destructors. When the process exits, the other
// threads are already gone, perhaps in the middle of a message and holding a
// lock, so nothing is torn down: the system closes what the managers hold.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        s_hModule = instance;
    else if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        Vexir::TearDownLibrary();
    return TRUE;
}
