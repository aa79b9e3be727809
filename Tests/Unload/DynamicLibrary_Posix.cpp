#include "DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace VexirTest {

DynamicLibrary::DynamicLibrary(const std::string& fileName) : _pHandle(nullptr)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string exe(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    _sPath = exe.substr(0, exe.rfind('/') + 1) + fileName;
    _pHandle = dlopen(_sPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* DynamicLibrary::Symbol(const char* name) const { return _pHandle ? dlsym(_pHandle, name) : nullptr; }

bool DynamicLibrary::Unload()
{
    if (_pHandle) {
        dlclose(_pHandle);
        _pHandle = nullptr;
    }
    // RTLD_NOLOAD finds the library only if it is still in the process.
    void* still = dlopen(_sPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (still)
        dlclose(still);
    return still == nullptr;
}

}  // namespace VexirTest
