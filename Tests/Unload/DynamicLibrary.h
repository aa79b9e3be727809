// Loads and unloads a shared library at run time, for the unload test.
#pragma once

#include <string>

namespace VexirTest {

class DynamicLibrary {
public:
    // Loads the named library from the folder of the running executable.
    explicit DynamicLibrary(const std::string& fileName);
    ~DynamicLibrary() { Unload(); }

    bool IsLoaded() const { return _pHandle != nullptr; }
    void* Symbol(const char* name) const;
    // True when the library is gone from the process afterwards.
    bool Unload();

private:
    void* _pHandle;
    std::string _sPath;
};

}  // namespace VexirTest
