#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "Assert/AssertPlatform.h"

namespace Vexir {

void TriggerDebugBreak() { raise(SIGTRAP); }

namespace {

long TracerOfThisProcess()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "TracerPid:", 10) == 0)
            tracer = std::strtol(line + 10, nullptr, 10);
    std::fclose(status);
    return tracer;
}

}  // namespace

// A tracer that is a debugger: strace, ltrace or a sandbox trace the process
// too, and would pass the trap on and end it.
bool DebuggerAttached()
{
    const long tracer = TracerOfThisProcess();
    if (tracer <= 0)
        return false;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/comm", tracer);
    std::FILE* comm = std::fopen(path, "r");
    if (!comm)
        return false;
    char name[64] = {};
    const bool read = std::fgets(name, sizeof name, comm) != nullptr;
    std::fclose(comm);
    name[std::strcspn(name, "\n")] = '\0';
    for (const char* debugger : {"gdb", "gdbserver", "lldb", "lldb-server", "rr"})
        if (read && std::strcmp(name, debugger) == 0)
            return true;
    return false;
}

// The C++ runtime reaches the handler through __cxa_pure_virtual, which the
// library defines; nothing needs installing at load.
void InstallPureCallHook() {}

}  // namespace Vexir
