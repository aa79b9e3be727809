#include "LibraryVersion.h"

#include <windows.h>

#include <string>
#include <vector>

namespace VexirTest {

// The DLL's fixed version numbers and its "FileVersion" text, as Explorer
// shows them: together "1.4.100.692 / 1.4.100.692".
LibraryVersion LoadedLibraryVersion()
{
    LibraryVersion result;
    result.expected = std::string(VEXIR_TEST_VERSION) + " / " + VEXIR_TEST_VERSION;
    HMODULE library = GetModuleHandleW(L"VexirCore.dll");
    wchar_t path[MAX_PATH] = {};
    if (!library || !GetModuleFileNameW(library, path, MAX_PATH))
        return result;
    result.where = "VexirCore.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    char* text = nullptr;
    UINT textLength = 0;
    if (!size || !GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        !VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                        &textLength))
        return result;
    result.read = true;
    result.version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
                     "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                     std::to_string(LOWORD(fixed->dwFileVersionLS)) + " / " + text;
    return result;
}

}  // namespace VexirTest
