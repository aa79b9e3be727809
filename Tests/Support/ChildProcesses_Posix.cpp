#include "ChildProcesses.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace VexirTest {

namespace {

// The name, state and parent of a process, from /proc/ID/stat.
bool ReadStat(unsigned long id, std::string& name, char& state, unsigned long& parent)
{
    std::ifstream file("/proc/" + std::to_string(id) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
        return false;
    name = text.substr(open + 1, close - open - 1);
    std::istringstream rest(text.substr(close + 1));
    return static_cast<bool>(rest >> state >> parent);
}

}  // namespace

std::vector<unsigned long> ChildProcessesNamed(const std::string& name)
{
    std::vector<unsigned long> found;
    DIR* processes = opendir("/proc");
    if (!processes)
        return found;
    const unsigned long self = static_cast<unsigned long>(getpid());
    while (dirent* entry = readdir(processes)) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(entry->d_name, &end, 10);
        std::string program;
        char state = 0;
        unsigned long parent = 0;
        if (end && *end == '\0' && id != 0 && ReadStat(id, program, state, parent) && parent == self &&
            program == name.substr(0, 15))
            found.push_back(id);
    }
    closedir(processes);
    return found;
}

// Waits until the whole process has ended, not only its first thread (which
// /proc shows as a zombie while the others are still going): waitid tells,
// and leaves it to be collected.
void KillProcess(unsigned long id)
{
    kill(static_cast<pid_t>(id), SIGKILL);
    for (int i = 0; i < 500; ++i) {
        siginfo_t ended{};
        if (waitid(P_PID, static_cast<id_t>(id), &ended, WEXITED | WNOWAIT | WNOHANG) != 0 || ended.si_pid != 0)
            return;
        usleep(10000);
    }
}

bool ProcessRuns(unsigned long id)
{
    std::string name;
    char state = 0;
    unsigned long parent = 0;
    return ReadStat(id, name, state, parent) && state != 'Z' && state != 'X';
}

bool ProcessExists(unsigned long id)
{
    std::string name;
    char state = 0;
    unsigned long parent = 0;
    return ReadStat(id, name, state, parent);
}

}  // namespace VexirTest
