#include "Platform.h"

#include <windows.h>

#include <io.h>

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

}  // namespace RemoteConsole
