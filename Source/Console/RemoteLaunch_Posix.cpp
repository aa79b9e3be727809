// Starts RemoteConsole, the first found beside the library, beside the calling
// program or on PATH, clean of the host: in a session of its own (no signal of
// the host's terminal reaches it), with /dev/null for its standard streams, no
// other descriptor of the host (a parent waiting for the end of the host's
// output would otherwise wait for the program too, and a listening socket of
// the host's would stay bound after the host exits), every signal at its
// default and none blocked. It is up once it listens on its port, which
// /proc tells without disturbing it.
#include "Console/RemoteLaunch.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

extern char** environ;

namespace Vexir {

namespace {

const unsigned short kProgramPort = 7500;

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

bool IsRunnable(const std::string& path)
{
    struct stat information{};
    return stat(path.c_str(), &information) == 0 && S_ISREG(information.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindProgram()
{
    const char* path = std::getenv("PATH");
    for (const std::string& candidate :
         RemoteConsoleCandidates(LibraryFolder(), ProgramFolder(), path ? path : "", ':', "RemoteConsole"))
        if (IsRunnable(candidate))
            return candidate;
    return std::string();
}

// Owns the spawn settings; each setter's failure fails the launch.
class CleanStart {
public:
    CleanStart()
    {
        _bReady = posix_spawn_file_actions_init(&_actions) == 0;
        _bReady = posix_spawnattr_init(&_attributes) == 0 && _bReady;
        // Standard streams from /dev/null; every other descriptor closed.
        _bReady = _bReady && posix_spawn_file_actions_addopen(&_actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
                  posix_spawn_file_actions_addopen(&_actions, 1, "/dev/null", O_WRONLY, 0) == 0 &&
                  posix_spawn_file_actions_adddup2(&_actions, 1, 2) == 0 &&
                  posix_spawn_file_actions_addclosefrom_np(&_actions, 3) == 0;
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        _bReady = _bReady && posix_spawnattr_setsigmask(&_attributes, &none) == 0 &&
                  posix_spawnattr_setsigdefault(&_attributes, &all) == 0 &&
                  posix_spawnattr_setflags(&_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                             POSIX_SPAWN_SETSIGDEF) == 0;
    }
    ~CleanStart()
    {
        posix_spawn_file_actions_destroy(&_actions);
        posix_spawnattr_destroy(&_attributes);
    }
    CleanStart(const CleanStart&) = delete;
    CleanStart& operator=(const CleanStart&) = delete;

    bool Spawn(const std::string& program, pid_t& child)
    {
        std::string name = "RemoteConsole";
        char* arguments[] = {&name[0], nullptr};
        return _bReady && posix_spawn(&child, program.c_str(), &_actions, &_attributes, arguments, environ) == 0;
    }

private:
    posix_spawn_file_actions_t _actions;
    posix_spawnattr_t _attributes;
    bool _bReady = false;
};

// The inodes of the sockets listening on the port, from /proc/net/tcp.
std::set<std::string> ListeningInodes(unsigned short port)
{
    std::set<std::string> inodes;
    std::FILE* table = std::fopen("/proc/net/tcp", "re");
    if (!table)
        return inodes;
    char line[512];
    std::fgets(line, sizeof line, table);  // the heading
    while (std::fgets(line, sizeof line, table)) {
        unsigned localAddress = 0, localPort = 0, remoteAddress = 0, remotePort = 0, state = 0;
        unsigned long inode = 0;
        if (std::sscanf(line, " %*u: %x:%x %x:%x %x %*x:%*x %*x:%*x %*x %*u %*u %lu", &localAddress, &localPort,
                        &remoteAddress, &remotePort, &state, &inode) == 6 &&
            localPort == port && state == 0x0A)
            inodes.insert("socket:[" + std::to_string(inode) + "]");
    }
    std::fclose(table);
    return inodes;
}

// True when the process holds a socket listening on the port.
bool Listens(pid_t process, unsigned short port)
{
    const std::set<std::string> listening = ListeningInodes(port);
    if (listening.empty())
        return false;
    const std::string folder = "/proc/" + std::to_string(process) + "/fd";
    DIR* descriptors = opendir(folder.c_str());
    if (!descriptors)
        return false;
    bool found = false;
    while (dirent* entry = readdir(descriptors)) {
        char target[64];
        const ssize_t length = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (length > 0 && listening.count(std::string(target, static_cast<std::size_t>(length)))) {
            found = true;
            break;
        }
    }
    closedir(descriptors);
    return found;
}

// True once the child has ended and been collected (by us or by a host that
// collects every child).
bool Collect(pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; }

bool AwaitListening(pid_t child)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLaunchMilliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Collect(child))
            return false;
        if (Listens(child, kProgramPort))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Not up in time: nothing is left running that the host was told failed.
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return false;
}

}  // namespace

bool LaunchRemoteConsoleProgram(LaunchedProcess& process)
{
    process = LaunchedProcess();
    const std::string program = FindProgram();
    if (program.empty())
        return false;
    CleanStart start;
    pid_t child = 0;
    if (!start.Spawn(program, child))
        return false;
    if (!AwaitListening(child))
        return false;
    process.processId = static_cast<unsigned long>(child);
    return true;
}

void ReleaseLaunchedProcess(LaunchedProcess& process)
{
    // A program that has ended is collected; one still running keeps running.
    ReapLaunchedProcess(process);
    process = LaunchedProcess();
}

void ReapLaunchedProcess(LaunchedProcess& process)
{
    if (process.processId && Collect(static_cast<pid_t>(process.processId)))
        process = LaunchedProcess();
}

}  // namespace Vexir
