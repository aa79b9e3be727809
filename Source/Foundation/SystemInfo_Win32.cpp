// Windows figures, through functions looked up by name in kernel32 so that the
// library loads where one is missing.
#include <Vexir/SystemInfo.h>

#include <windows.h>
#include <psapi.h>

#include <cstdlib>

namespace Vexir {

namespace {

using GetMemoryFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
using GetProcessorFunction = BOOL(WINAPI*)(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION, PDWORD);

// A function of kernel32 by name, as the type the caller names.
template <typename Function>
Function Kernel32Function(const char* name)
{
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

bool GetMemoryInfo(MemoryInfo& info)
{
    static GetMemoryFunction s_pGetMemory = nullptr;
    if (!s_pGetMemory)
        s_pGetMemory = Kernel32Function<GetMemoryFunction>("K32GetProcessMemoryInfo");
    if (!s_pGetMemory)
        return false;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!s_pGetMemory(GetCurrentProcess(), &counters, sizeof counters))
        return false;
    info.workingSetSizeKB = counters.WorkingSetSize >> 10;
    info.peakWorkingSetSizeKB = counters.PeakWorkingSetSize >> 10;
    info.pagefileUsageKB = counters.PagefileUsage >> 10;
    info.peakPagefileUsageKB = counters.PeakPagefileUsage >> 10;
    info.pageFaultCount = counters.PageFaultCount;
    return true;
}

bool GetProcessorInfo(ProcessorInfo& info)
{
    info = ProcessorInfo();
    const auto getProcessors = Kernel32Function<GetProcessorFunction>("GetLogicalProcessorInformation");
    if (!getProcessors)
        return false;
    DWORD length = 0;
    PSYSTEM_LOGICAL_PROCESSOR_INFORMATION entries = nullptr;
    while (!getProcessors(entries, &length)) {
        std::free(entries);
        entries = nullptr;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        entries = static_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION>(std::malloc(length));
        if (!entries)
            return false;
    }
    const DWORD count = length == 0 ? 0 : (length - 1) / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) + 1;
    for (DWORD i = 0; i < count && entries; ++i) {
        switch (entries[i].Relationship) {
        case RelationProcessorCore:
            ++info.coreCount;
            info.smtCoreCount += entries[i].ProcessorCore.Flags == 1 ? 1 : 0;
            break;
        case RelationNumaNode:
            ++info.numaNodeCount;
            break;
        case RelationProcessorPackage:
            ++info.packageCount;
            break;
        default:
            break;
        }
    }
    std::free(entries);
    return true;
}

}  // namespace Vexir
