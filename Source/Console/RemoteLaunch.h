// Starting the RemoteConsole program without waiting for it.
#pragma once

namespace Vexir {

struct LaunchedProcess {
    void* processHandle = nullptr;
    void* threadHandle = nullptr;
    unsigned long processId = 0;
    unsigned long threadId = 0;
};

bool LaunchRemoteConsoleProgram(LaunchedProcess& process);
// Lets go of what the launch kept (handles, or the finished child on Linux).
void ReleaseLaunchedProcess(LaunchedProcess& process);

}  // namespace Vexir
