// The Linux dialogs come from the UI module; without it, or without a
// display, there is none and the answer is false.
#include "Files/FileSystem.h"
#include "Foundation/UiModule.h"

#include <Vexir/Utf8Util.h>

#include <cstdint>
#include <cstring>

namespace Vexir {

namespace {

bool IsUtf8(const char* text)
{
    try {
        utf8util::Utf8ToU16(text ? text : "");
        return true;
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
}

// Every piece of a filter list, "name\0patterns\0...\0\0".
bool FilterIsUtf8(const char* filter)
{
    for (const char* piece = filter; piece && *piece; piece += std::strlen(piece) + 1)
        if (!IsUtf8(piece))
            return false;
    return true;
}

}  // namespace

bool ShowFileDialog(bool save, NativeWindowHandle owner, std::string& fileName, const char* filter,
                    const char* defaultExtension, const char* initialDirectory)
{
    // As on Windows, text that cannot be shown refuses before any dialog.
    if (!IsUtf8(fileName.c_str()) || !FilterIsUtf8(filter) || !IsUtf8(defaultExtension) || !IsUtf8(initialDirectory))
        return false;
    std::string whyNot;
    const ui::Module* module = ui::LoadModule(whyNot);
    if (!module || !module->Available(whyNot))
        return false;
    return module->FileDialog(save, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(owner)), fileName,
                              filter, defaultExtension, initialDirectory);
}

}  // namespace Vexir
