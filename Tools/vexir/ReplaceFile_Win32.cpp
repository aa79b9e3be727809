#include <windows.h>

#include <system_error>

#include "AssetFiles.h"

namespace VexirTool {

bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    why = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
}

}  // namespace VexirTool
