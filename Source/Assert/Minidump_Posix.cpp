// The minidump on Linux: a core file of the running process, written by
// gdb's gcore as "VexirMinidump.core" in the temporary directory. Without
// "Full Dump", anonymous private memory (the heap and the stacks) is left
// out, as the process's coredump_filter says while gdb writes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
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

// Runs gdb on this process and collects what it says. gdb may attach: this
// process names it as its tracer (Yama's restricted mode lets only a
// process's ancestors trace it otherwise).
GdbRun RunGdb(const std::string& gdb, const std::vector<std::string>& arguments)
{
    GdbRun run;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int output[2], go[2], failed[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return run.error = errno, run;
    if (pipe2(go, O_CLOEXEC) != 0 || pipe2(failed, O_CLOEXEC) != 0) {
        run.error = errno;
        close(output[0]);
        close(output[1]);
        return run;
    }
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls from here: the host may have threads.
        char ready = 0;
        while (read(go[0], &ready, 1) < 0 && errno == EINTR) {
        }
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(output[1], 1);
        dup2(output[1], 2);
        execv(gdb.c_str(), argv.data());
        const int error = errno;
        if (write(failed[1], &error, sizeof error) < 0) {
        }
        _exit(127);
    }
    close(output[1]);
    close(go[0]);
    close(failed[1]);
    if (child < 0) {
        run.error = errno;
        close(output[0]);
        close(go[1]);
        close(failed[0]);
        return run;
    }
    prctl(PR_SET_PTRACER, static_cast<unsigned long>(child), 0, 0, 0);  // EINVAL without Yama: nothing to do
    if (write(go[1], "g", 1) < 0) {
    }
    close(go[1]);
    int error = 0;
    run.started = read(failed[0], &error, sizeof error) != static_cast<ssize_t>(sizeof error);
    run.error = run.started ? 0 : error;
    close(failed[0]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kGdbSeconds);
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable = {output[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&readable, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            kill(child, SIGKILL);
            run.output += "\ngdb took longer than " + std::to_string(kGdbSeconds) + " seconds";
            break;
        }
        const ssize_t got = read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    prctl(PR_SET_PTRACER, 0, 0, 0, 0);
    return run;
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
    const GdbRun run = RunGdb(gdb, {gdb, "--batch", "--nx", "-p", std::to_string(getpid()), "-ex",
                                    "set use-coredump-filter on", "-ex", "gcore " + unfinished});
    if (haveFilter)
        WriteFilter(filter);

    struct stat written = {};
    if (!run.started) {
        info.minidump += "<Could not start gdb (" + std::string(std::strerror(run.error)) +
                         "); minidump could not be created>";
    } else if (run.output.find("Saved corefile") == std::string::npos || stat(unfinished.c_str(), &written) != 0 ||
               written.st_size == 0) {
        info.minidump += "<write operation failed (" + LastLine(run.output) + "); minidump could not be created>";
    } else if (rename(unfinished.c_str(), path.c_str()) != 0) {
        info.minidump += "<could not create dump file (" + std::string(std::strerror(errno)) +
                         "); minidump could not be created>";
    } else {
        info.minidump = path;
        info.minidumpCreated = true;
    }
    unlink(unfinished.c_str());
    rmdir(work.c_str());
    return info.minidumpCreated;
}

}  // namespace Vexir
