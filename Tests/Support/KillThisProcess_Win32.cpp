#include "KillThisProcess.h"

#include <windows.h>

namespace VexirTest {

void KillThisProcess()
{
    TerminateProcess(GetCurrentProcess(), 9);
    for (;;)
        Sleep(INFINITE);
}

}  // namespace VexirTest
