#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Assert/AssertPlatform.h"

namespace Vexir {

void TriggerDebugBreak() { raise(SIGTRAP); }

// A tracer (gdb, lldb, strace) shows as the TracerPid of the process's status.
bool DebuggerAttached()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return false;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "TracerPid:", 10) == 0)
            tracer = std::strtol(line + 10, nullptr, 10);
    std::fclose(status);
    return tracer != 0;
}

// The C++ runtime reaches the handler through __cxa_pure_virtual, which the
// library defines; nothing needs installing at load.
void InstallPureCallHook() {}

}  // namespace Vexir
