// The minidump: DbgHelp's MiniDumpWriteDump into "VexirMinidump.dmp" in the
// temporary directory, loaded only when a user asks for a dump.
#include <windows.h>

#include <dbghelp.h>

#include <mutex>
#include <string>

#include "Assert/AssertDialogText.h"
#include "Foundation/LenientText_Win32.h"

namespace Vexir {

namespace {

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);

// The temporary directory as Windows gives it, with one backslash before the
// name, whatever the directory's characters.
bool DumpPath(std::wstring& path)
{
    wchar_t directory[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH)
        return false;
    path.assign(directory, length);
    if (path.back() != L'\\')
        path += L'\\';
    path += L"VexirMinidump.dmp";
    return true;
}

}  // namespace

bool WriteMinidump(AssertThreadInfo& info, bool fullDump)
{
    // DbgHelp is not safe for two threads, and two dialogs share the file.
    static std::mutex* const s_oneAtATime = new std::mutex;
    std::lock_guard<std::mutex> hold(*s_oneAtATime);
    info.minidumpCreated = false;
    HMODULE library = LoadLibraryA("DbgHelp.dll");
    if (!library) {
        info.minidump += "<Could not load DbgHelp.dll, minidump could not be created>";
        return false;
    }
    auto writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "MiniDumpWriteDump")));
    std::wstring path;
    bool written = false;
    if (!writeDump) {
        info.minidump += "<Could not get entry point to write minidump; minidump could not be created>";
    } else if (!DumpPath(path)) {
        info.minidump += "<Couldn't get temp file location>";
    } else {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            info.minidump += "<could not create dump file; minidump could not be created>";
        } else {
            const MINIDUMP_TYPE type = fullDump ? MiniDumpWithFullMemory : MiniDumpNormal;
            written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, type, nullptr, nullptr, nullptr);
            if (written)
                info.minidump = LenientUtf8(path);
            else
                info.minidump += "<write operation failed; minidump could not be created>";
            CloseHandle(file);
        }
    }
    FreeLibrary(library);
    info.minidumpCreated = written;
    return written;
}

}  // namespace Vexir
