// The minidump on Linux: a core file of the running process, written by
// gdb's gcore as "VexirMinidump.core" in the temporary directory. Without
// "Full Dump", anonymous private memory (the heap and the stacks) is left
// out, as the process's coredump_filter says while gdb writes.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Assert/AssertDialogText.h"

namespace Vexir {

namespace {

const char kDumpName[] = "VexirMinidump.core";
const int kGdbSeconds = 120;  // a dump of a large process takes a while; a hung gdb does not hold the dialog
const unsigned kAnonymousPrivate = 0x1;
const unsigned kEverything = 0x1ff;

std::string TemporaryDirectory()
{
    const char* chosen = std::getenv("TMPDIR");
    std::string directory = chosen && *chosen ? chosen : "/tmp";
    struct stat status = {};
    if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::string();
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

std::string GdbPath()
{
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/gdb";
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

// The kernel's choice of what a core holds, which gdb's gcore follows.
bool ReadFilter(unsigned& filter)
{
    int file = open("/proc/self/coredump_filter", O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    char text[32] = {};
    const ssize_t length = read(file, text, sizeof text - 1);
    close(file);
    if (length <= 0)
        return false;
    filter = static_cast<unsigned>(std::strtoul(text, nullptr, 16));
    return true;
}

void WriteFilter(unsigned filter)
{
    int file = open("/proc/self/coredump_filter", O_WRONLY | O_CLOEXEC);
    if (file < 0)
        return;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", filter);
    if (write(file, text, static_cast<std::size_t>(length)) < 0) {
        // Left as it was: the dump holds what the kernel's dump would.
    }
    close(file);
}

struct GdbRun {
    bool started = false;
    int error = 0;       // why it did not start
    std::string output;  // what it said
};

// Yama's restricted mode lets only a process's ancestors trace it; gdb, our
// child, has to be named.
bool TracingRestricted()
{
    std::ifstream scope("/proc/sys/kernel/yama/ptrace_scope");
    int mode = 0;
    return scope >> mode && mode == 1;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs gdb on this process. Its output goes to a file, not a pipe: gdb
// stops every thread here, the one that would read a pipe included, and a
// full pipe would then stop gdb for good.
GdbRun RunGdb(const std::string& gdb, const std::vector<std::string>& arguments, const std::string& log,
              unsigned long long room)
{
    GdbRun run;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
    int go[2] = {-1, -1}, failed[2] = {-1, -1};
    if (output < 0 || input < 0 || pipe2(go, O_CLOEXEC) != 0 || pipe2(failed, O_CLOEXEC) != 0) {
        run.error = errno;
        for (int file : {output, input, go[0], go[1], failed[0], failed[1]})
            if (file >= 0)
                close(file);
        return run;
    }
    const bool restricted = TracingRestricted();
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls from here: the host may have threads.
        char ready = 0;
        while (read(go[0], &ready, 1) < 0 && errno == EINTR) {
        }
        dup2(input, 0);
        dup2(output, 1);
        dup2(output, 2);
        // A dump that would fill the disk stops short of it; gdb is told
        // by a failed write, not killed by the signal.
        const rlimit limit = {room, room};
        setrlimit(RLIMIT_FSIZE, &limit);
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, nullptr);
        // None of the host's files go with gdb; the failure pipe closes at exec.
        const int keep = failed[1];
        if (keep > 3)
            syscall(SYS_close_range, 3u, static_cast<unsigned>(keep - 1), 0u);
        syscall(SYS_close_range, static_cast<unsigned>(keep + 1), ~0u, 0u);
        execv(gdb.c_str(), argv.data());
        const int error = errno;
        if (write(keep, &error, sizeof error) < 0) {
        }
        _exit(127);
    }
    for (int file : {output, input, go[0], failed[1]})
        close(file);
    if (child < 0) {
        run.error = errno;
        close(go[1]);
        close(failed[0]);
        return run;
    }
    if (restricted)
        prctl(PR_SET_PTRACER, static_cast<unsigned long>(child), 0, 0, 0);
    if (write(go[1], "g", 1) < 0) {
    }
    close(go[1]);
    int error = 0;
    ssize_t got = 0;
    while ((got = read(failed[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(failed[0]);
    run.started = got != static_cast<ssize_t>(sizeof error);
    run.error = run.started ? 0 : error;
    // Waited for by its id: a host that reaps children elsewhere, or ignores
    // them, leaves it to the deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kGdbSeconds);
    for (;;) {
        const pid_t ended = waitpid(child, nullptr, WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            run.output = "gdb took longer than " + std::to_string(kGdbSeconds) + " seconds\n";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (restricted)
        prctl(PR_SET_PTRACER, 0, 0, 0, 0);
    run.output = ReadAll(log) + run.output;
    return run;
}

// What a dump may take of the temporary directory's free space: all but a
// twentieth, and at least 64 MiB are left for everyone else.
unsigned long long RoomFor(const std::string& directory)
{
    struct statvfs file_system = {};
    if (statvfs(directory.c_str(), &file_system) != 0)
        return RLIM_INFINITY;
    const unsigned long long free = static_cast<unsigned long long>(file_system.f_bavail) * file_system.f_frsize;
    const unsigned long long keep = std::max(free / 20, 64ull << 20);
    return free > keep ? free - keep : 0;
}

// gdb's last word on what went wrong, for the dialog's one line.
std::string LastLine(const std::string& output)
{
    std::size_t end = output.find_last_not_of("\n ");
    if (end == std::string::npos)
        return "gdb said nothing";
    const std::size_t start = output.rfind('\n', end);
    return output.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

bool WriteMinidump(AssertThreadInfo& info, bool fullDump)
{
    // One dump at a time: two dialogs share the file and the filter.
    static std::mutex* const s_oneAtATime = new std::mutex;
    std::lock_guard<std::mutex> hold(*s_oneAtATime);
    info.minidumpCreated = false;
    const std::string gdb = GdbPath();
    if (gdb.empty()) {
        info.minidump += "<Could not find gdb (its gcore writes the dump); minidump could not be created>";
        return false;
    }
    const std::string directory = TemporaryDirectory();
    if (directory.empty()) {
        info.minidump += "<Couldn't get temp file location>";
        return false;
    }
    // gdb writes into a folder of our own, and the finished dump replaces
    // the last one in a single step: a link planted under the dump's name
    // is replaced, not followed, and a failed attempt leaves the last dump.
    std::string work = directory + "/VexirMinidump.XXXXXX";
    if (!mkdtemp(&work[0])) {
        info.minidump += "<could not create dump file (" + std::string(std::strerror(errno)) +
                         "); minidump could not be created>";
        return false;
    }
    const std::string path = directory + "/" + kDumpName;
    const std::string unfinished = work + "/" + kDumpName;

    unsigned filter = 0;
    const bool haveFilter = ReadFilter(filter);
    if (haveFilter)
        WriteFilter(fullDump ? kEverything : (filter & ~kAnonymousPrivate));
    const unsigned long long room = RoomFor(directory);
    const GdbRun run = RunGdb(gdb,
                              {gdb, "--batch", "--nx", "-q", "-p", std::to_string(getpid()), "-ex",
                               "set use-coredump-filter on", "-ex", "gcore " + unfinished},
                              work + "/gdb.log", room);
    if (haveFilter)
        WriteFilter(filter);

    struct stat written = {};
    if (!run.started) {
        info.minidump += "<Could not start gdb (" + std::string(std::strerror(run.error)) +
                         "); minidump could not be created>";
    } else if (run.output.find("File too large") != std::string::npos ||
               run.output.find("No space left") != std::string::npos) {
        info.minidump += "<write operation failed (the dump would not fit in the " + std::to_string(room >> 20) +
                         " MiB left free in " + directory + "); minidump could not be created>";
    } else if (run.output.find("Saved corefile") == std::string::npos || stat(unfinished.c_str(), &written) != 0 ||
               written.st_size == 0) {
        info.minidump += "<write operation failed (" + LastLine(run.output) + "); minidump could not be created>";
    } else if (chmod(unfinished.c_str(), 0600) != 0 || rename(unfinished.c_str(), path.c_str()) != 0) {
        // The dump holds the process's memory: for its owner's eyes only.
        info.minidump += "<could not create dump file (" + std::string(std::strerror(errno)) +
                         "); minidump could not be created>";
    } else {
        info.minidump = path;
        info.minidumpCreated = true;
    }
    unlink(unfinished.c_str());
    unlink((work + "/gdb.log").c_str());
    rmdir(work.c_str());
    return info.minidumpCreated;
}

}  // namespace Vexir
