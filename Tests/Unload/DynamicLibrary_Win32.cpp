#include "DynamicLibrary.h"

#include <windows.h>

namespace VexirTest {

DynamicLibrary::DynamicLibrary(const std::string& fileName) : _pHandle(nullptr)
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string exe(self, length);
    _sPath = exe.substr(0, exe.find_last_of("\\/") + 1) + fileName;
    _pHandle = LoadLibraryA(_sPath.c_str());
}

void* DynamicLibrary::Symbol(const char* name) const
{
    return _pHandle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(_pHandle), name)) : nullptr;
}

bool DynamicLibrary::Unload()
{
    if (_pHandle) {
        FreeLibrary(static_cast<HMODULE>(_pHandle));
        _pHandle = nullptr;
    }
    return GetModuleHandleA(_sPath.c_str()) == nullptr;
}

}  // namespace VexirTest
