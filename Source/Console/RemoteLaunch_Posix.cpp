// Looks for RemoteConsole beside the library, then beside the calling program,
// then on PATH, and starts it with posix_spawn.
#include "Console/RemoteLaunch.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>

extern char** environ;

namespace Vexir {

namespace {

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

std::string LibraryFolder()
{
    Dl_info information{};
    if (!dladdr(reinterpret_cast<void*>(&LaunchRemoteConsoleProgram), &information) || !information.dli_fname)
        return std::string();
    char resolved[PATH_MAX];
    return realpath(information.dli_fname, resolved) ? FolderOf(resolved) : std::string();
}

std::string ProgramFolder()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    return length > 0 ? FolderOf(std::string(self, static_cast<std::size_t>(length))) : std::string();
}

}  // namespace

bool LaunchRemoteConsoleProgram(LaunchedProcess& process)
{
    ReleaseLaunchedProcess(process);
    char name[] = "RemoteConsole";
    char* arguments[] = {name, nullptr};
    pid_t child = 0;
    bool started = false;
    for (const std::string& folder : {LibraryFolder(), ProgramFolder()}) {
        const std::string candidate = folder + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
            started = posix_spawn(&child, candidate.c_str(), nullptr, nullptr, arguments, environ) == 0;
            break;
        }
    }
    if (!started)
        started = posix_spawnp(&child, name, nullptr, nullptr, arguments, environ) == 0;
    if (started)
        process.processId = static_cast<unsigned long>(child);
    return started;
}

void ReleaseLaunchedProcess(LaunchedProcess& process)
{
    // A program that has ended is reaped; one still running keeps running.
    if (process.processId)
        waitpid(static_cast<pid_t>(process.processId), nullptr, WNOHANG);
    process = LaunchedProcess();
}

}  // namespace Vexir
