#include "Foundation/LibraryModule_Win32.h"

namespace {
HMODULE s_hModule = nullptr;
}

namespace Vexir {

HMODULE LibraryModule() { return s_hModule; }

}  // namespace Vexir

// Only remembers the module handle; everything else starts in a call from the host.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        s_hModule = instance;
    return TRUE;
}
