#include <windows.h>

#include <cstdio>
#include <string>
#include <system_error>

#include "AssetFiles.h"

namespace VexirTool {

// The C runtime's narrow names are in the ANSI code page; the wide ones are
// the file's real name.
std::FILE* OpenFile(const std::filesystem::path& name, const char* mode)
{
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(name.c_str(), wideMode.c_str());
}

bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    why = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
}

}  // namespace VexirTool
