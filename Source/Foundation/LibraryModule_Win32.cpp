#include "Foundation/LibraryModule_Win32.h"

#include "Foundation/LibraryLifetime.h"

namespace {
HMODULE s_hModule = nullptr;
}

namespace Vexir {

HMODULE LibraryModule() { return s_hModule; }

}  // namespace Vexir

// Remembers the module handle; everything else starts in a call from the host.
// At detach the managers go, before the runtime runs the library's own static
// destructors and after the host's (a process's exit handlers run before any
// library is detached).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        s_hModule = instance;
    else if (reason == DLL_PROCESS_DETACH)
        Vexir::TearDownLibrary();
    return TRUE;
}
