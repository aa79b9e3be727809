#include "Platform.h"

#include <windows.h>

#include <io.h>

#include <Vexir/Utf8Util.h>

#include <cerrno>
#include <string>

namespace RemoteConsole {

namespace {
volatile bool* s_pStop = nullptr;
BOOL WINAPI Stop(DWORD)
{
    *s_pStop = true;
    return TRUE;
}
}  // namespace

void InstallStopHandlers(volatile bool* stop)
{
    s_pStop = stop;
    SetConsoleCtrlHandler(Stop, TRUE);
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// The launcher made an event named after this process before it ran.
void TellLauncherListening()
{
    const std::wstring name = L"Local\\RemoteConsole.Listening." + std::to_wstring(GetCurrentProcessId());
    if (HANDLE listening = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
        SetEvent(listening);
        CloseHandle(listening);
    }
}

bool WriteAll(std::FILE* stream, const char* data, std::size_t size)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 65536 ? 65536 : static_cast<DWORD>(size);
        if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// The C runtime's narrow names are in the ANSI code page, not UTF-8.
std::FILE* OpenForAppending(const std::string& path)
{
    try {
        return _wfopen(utf8util::Utf8ToUtf16(path).c_str(), L"ab");
    } catch (const utf8util::utf8_conversion_error&) {
        errno = EINVAL;
        return nullptr;
    }
}

}  // namespace RemoteConsole
