// The common open and save dialogs, fed UTF-16 converted from UTF-8.
#include "Files/FileSystem.h"

#include <Vexir/Utf8Util.h>

#include <windows.h>
#include <commdlg.h>

#include <cstring>

namespace Vexir {

namespace {

const DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
const DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
const std::size_t kMaxPath = 260;

// A filter list is pairs of zero-terminated texts closed by an empty one; each
// piece converts on its own. False when a piece is not UTF-8.
bool ConvertFilter(const char* filter, std::wstring& wide)
{
    wide.clear();
    for (const char* piece = filter; piece && *piece; piece += std::strlen(piece) + 1) {
        try {
            wide += utf8util::Utf8ToUtf16(piece);
        } catch (const utf8util::utf8_conversion_error&) {
            return false;
        }
        wide.push_back(L'\0');
    }
    wide.push_back(L'\0');
    return true;
}

}  // namespace

bool ShowFileDialog(bool save, NativeWindowHandle owner, std::string& fileName, const char* filter,
                    const char* defaultExtension, const char* initialDirectory)
{
    const std::wstring initialName = utf8util::Utf8ToUtf16(fileName);
    if (initialName.size() >= kMaxPath)
        return false;
    std::wstring wideFilter;
    if (!ConvertFilter(filter, wideFilter))
        return false;
    const std::wstring extension = utf8util::Utf8ToUtf16(defaultExtension);
    const std::wstring directory = utf8util::Utf8ToUtf16(initialDirectory);

    wchar_t buffer[kMaxPath] = {};
    initialName.copy(buffer, initialName.size());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = kMaxPath;
    dialog.nMaxFileTitle = kMaxPath;
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = save ? L"Select File To Save" : L"Select File To Load";
    dialog.Flags = save ? kSaveFlags : kOpenFlags;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)))
        return false;
    fileName = utf8util::Utf16ToUtf8(buffer);
    return true;
}

}  // namespace Vexir
