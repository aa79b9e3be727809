#include <cerrno>
#include <cstdio>
#include <cstring>

#include "AssetFiles.h"

namespace VexirTool {

std::FILE* OpenFile(const std::filesystem::path& name, const char* mode) { return std::fopen(name.c_str(), mode); }

bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why)
{
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    why = std::strerror(errno);
    return false;
}

}  // namespace VexirTool
