// `vexir sysinfo`: the process's memory figures and the machine's processors.
#include <Vexir/SystemInfo.h>

#include <cstdio>

#include <CLI/CLI.hpp>

#include "Command.h"
#include "SysinfoLabels.h"

namespace VexirTool {

namespace {

int Run()
{
    Vexir::MemoryInfo memory;
    Vexir::ProcessorInfo processors;
    int status = 0;
    if (Vexir::GetMemoryInfo(memory)) {
        std::printf("%-18s %llu KiB (peak %llu KiB)\n", kWorkingSetLabel,
                    static_cast<unsigned long long>(memory.workingSetSizeKB),
                    static_cast<unsigned long long>(memory.peakWorkingSetSizeKB));
        std::printf("%-18s %llu KiB (peak %llu KiB)\n", kCommittedLabel,
                    static_cast<unsigned long long>(memory.pagefileUsageKB),
                    static_cast<unsigned long long>(memory.peakPagefileUsageKB));
        std::printf("page faults        %llu\n", static_cast<unsigned long long>(memory.pageFaultCount));
    } else {
        std::fprintf(stderr, "vexir sysinfo: the memory figures cannot be read here\n");
        status = 1;
    }
    if (Vexir::GetProcessorInfo(processors)) {
        std::printf("processor packages %u\ncores              %u (%u with more than one logical processor)\n"
                    "NUMA nodes         %u\n",
                    processors.packageCount, processors.coreCount, processors.smtCoreCount,
                    processors.numaNodeCount);
    } else {
        std::fprintf(stderr, "vexir sysinfo: the processor counts cannot be read here\n");
        status = 1;
    }
    return status;
}

}  // namespace

void AddSysinfo(CLI::App& tool, int& status)
{
    CLI::App* sysinfo = tool.add_subcommand("sysinfo", "the process's memory figures and the machine's processors");
    sysinfo->footer(kSysinfoFooter);
    sysinfo->callback([&status] { status = Run(); });
}

}  // namespace VexirTool
