#include "Console/RemoteLaunch.h"

#include <windows.h>

namespace Vexir {

bool LaunchRemoteConsoleProgram(LaunchedProcess& process)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    if (!CreateProcessW(L"RemoteConsole.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &information))
        return false;
    ReleaseLaunchedProcess(process);
    process.processHandle = information.hProcess;
    process.threadHandle = information.hThread;
    process.processId = information.dwProcessId;
    process.threadId = information.dwThreadId;
    return true;
}

void ReleaseLaunchedProcess(LaunchedProcess& process)
{
    if (process.processHandle)
        CloseHandle(static_cast<HANDLE>(process.processHandle));
    if (process.threadHandle)
        CloseHandle(static_cast<HANDLE>(process.threadHandle));
    process = LaunchedProcess();
}

}  // namespace Vexir
