// The open and save dialogs on Linux: FLTK's file chooser on the UI thread,
// with the Windows dialogs' titles, and their filters translated.
#include <FL/Fl_Native_File_Chooser.H>

#include <cstring>
#include <string>

#include "Foundation/UiModule.h"
#include "Foundation/UiThread_Fltk.h"

namespace Vexir {
namespace ui {

namespace {

// "Text (*.txt)\0*.txt\0Images\0*.png;*.jpg\0\0", the Windows form, becomes
// "Text (*.txt)\t*.txt\nImages\t{*.png,*.jpg}".
std::string ChooserFilter(const char* filter)
{
    std::string result;
    const char* piece = filter;
    while (piece && *piece) {
        const char* patterns = piece + std::strlen(piece) + 1;
        if (!*patterns)
            break;
        std::string alternatives;
        int count = 0;
        for (const char* at = patterns; *at;) {
            const char* end = std::strchr(at, ';');
            const std::size_t length = end ? static_cast<std::size_t>(end - at) : std::strlen(at);
            if (length) {
                alternatives += (count++ ? "," : "") + std::string(at, length);
            }
            at += length + (end ? 1 : 0);
        }
        if (!result.empty())
            result += '\n';
        result += std::string(piece) + '\t' + (count > 1 ? "{" + alternatives + "}" : alternatives);
        piece = patterns + std::strlen(patterns) + 1;
    }
    return result;
}

// The default extension, as Windows adds it: only to a name without one.
void AddDefaultExtension(std::string& name, const char* extension)
{
    if (!extension)
        return;
    std::string suffix = extension;
    while (!suffix.empty() && (suffix[0] == '*' || suffix[0] == '.'))
        suffix.erase(0, 1);
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    if (!suffix.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        name += "." + suffix;
}

}  // namespace

bool FileDialog(bool save, unsigned long, std::string& fileName, const char* filter, const char* defaultExtension,
                const char* initialDirectory)
{
    UiThread& thread = UiThread::Instance();
    if (!thread.AddUser())
        return false;
    bool chosen = false;
    thread.Run([&] {
        Fl_Native_File_Chooser chooser;
        chooser.type(save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE : Fl_Native_File_Chooser::BROWSE_FILE);
        chooser.title(save ? "Select File To Save" : "Select File To Load");
        const std::string patterns = ChooserFilter(filter);
        if (!patterns.empty())
            chooser.filter(patterns.c_str());
        if (save)
            chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
        if (initialDirectory && *initialDirectory)
            chooser.directory(initialDirectory);
        if (!fileName.empty())
            chooser.preset_file(fileName.c_str());
        if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename() || thread.Stopping())
            return;
        fileName = chooser.filename();
        AddDefaultExtension(fileName, defaultExtension);
        chosen = true;
    });
    thread.RemoveUser();
    return chosen;
}

}  // namespace ui
}  // namespace Vexir
