// Starting the RemoteConsole program, and knowing when it is up.
#pragma once

#include <string>
#include <vector>

namespace Vexir {

struct LaunchedProcess {
    void* processHandle = nullptr;
    void* threadHandle = nullptr;
    unsigned long processId = 0;
    unsigned long threadId = 0;
};

// The longest a launch waits for the program to listen.
const int kLaunchMilliseconds = 5000;

// Where the program is looked for, in order: beside the library, beside the
// host's program, then in each folder of the search path (`searchPath`, its
// folders separated by `separator`; empty folders are skipped, so the current
// directory is never searched unless named). `libraryFolder` and
// `programFolder` end in their separator, or are empty when unknown.
std::vector<std::string> RemoteConsoleCandidates(const std::string& libraryFolder, const std::string& programFolder,
                                                 const std::string& searchPath, char separator,
                                                 const std::string& fileName);

// Starts the program and waits, at most kLaunchMilliseconds, until it listens.
// False when it was not found, could not start, ended (its port taken) or did
// not listen in time; it is then ended and collected, and `process` is empty.
bool LaunchRemoteConsoleProgram(LaunchedProcess& process);
// Lets go of what the launch kept (handles, or the finished child on Linux).
void ReleaseLaunchedProcess(LaunchedProcess& process);
// Collects the program once it has ended, so that it leaves no zombie behind;
// nothing while it runs.
void ReapLaunchedProcess(LaunchedProcess& process);

}  // namespace Vexir
