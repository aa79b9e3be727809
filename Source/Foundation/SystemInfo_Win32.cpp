// Windows figures, through functions looked up by name in kernel32 so that the
// library loads where one is missing.
#include <Vexir/SystemInfo.h>

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdint>
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

// Windows keeps its peaks as high-water marks; Wine's can fall from one call to
// the next, and below the current size. Callers count on neither happening, so
// the peaks any call reports are kept and never reported lower.
std::atomic<std::uint64_t> s_uPeakWorkingSetKB{0};
std::atomic<std::uint64_t> s_uPeakPagefileKB{0};

// The peak, raised first to at least the system's peak and the current size.
std::uint64_t RaisePeak(std::atomic<std::uint64_t>& peak, std::uint64_t systemPeak, std::uint64_t current)
{
    const std::uint64_t value = systemPeak > current ? systemPeak : current;
    std::uint64_t seen = peak.load();
    while (seen < value && !peak.compare_exchange_weak(seen, value)) {
    }
    return seen < value ? value : seen;
}

}  // namespace

bool GetMemoryInfo(MemoryInfo& info)
{
    static const GetMemoryFunction s_pGetMemory = Kernel32Function<GetMemoryFunction>("K32GetProcessMemoryInfo");
    if (!s_pGetMemory)
        return false;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!s_pGetMemory(GetCurrentProcess(), &counters, sizeof counters))
        return false;
    info.workingSetSizeKB = counters.WorkingSetSize >> 10;
    info.peakWorkingSetSizeKB =
        RaisePeak(s_uPeakWorkingSetKB, counters.PeakWorkingSetSize >> 10, info.workingSetSizeKB);
    info.pagefileUsageKB = counters.PagefileUsage >> 10;
    info.peakPagefileUsageKB = RaisePeak(s_uPeakPagefileKB, counters.PeakPagefileUsage >> 10, info.pagefileUsageKB);
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
