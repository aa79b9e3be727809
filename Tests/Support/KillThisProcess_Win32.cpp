#include "KillThisProcess.h"

#include <windows.h>

namespace VexirTest {

void KillThisProcess()
{
    TerminateProcess(GetCurrentProcess(), 9);
    for (;;)
        Sleep(INFINITE);
}

bool KillProcess(long id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return false;
    const bool killed = TerminateProcess(process, 1) != FALSE;
    CloseHandle(process);
    return killed;
}

}  // namespace VexirTest
