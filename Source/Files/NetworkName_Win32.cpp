#include "Files/FileSystem.h"

#include <Vexir/Utf8Util.h>

#include <windows.h>
#include <winnetwk.h>

namespace Vexir {

std::string NetworkName(const char* path)
{
    const std::wstring wide = utf8util::Utf8ToUtf16(path);
    // The result record and the text it points to share one buffer.
    alignas(UNIVERSAL_NAME_INFOW) unsigned char buffer[260];
    DWORD size = sizeof buffer;
    if (WNetGetUniversalNameW(wide.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer, &size) != NO_ERROR)
        return path;
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer);
    return info->lpUniversalName ? utf8util::Utf16ToUtf8(info->lpUniversalName) : std::string(path);
}

}  // namespace Vexir
