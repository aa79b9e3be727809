// The process's memory figures, the machine's processor counts, and a memory-
// usage log that the host fills at points of its choice and writes as CSV.
//
// Linux has no page file; the figures keep their Windows meanings like this:
//   workingSetSizeKB      the resident set (VmRSS)
//   peakWorkingSetSizeKB  its peak (VmHWM, from getrusage)
//   pagefileUsageKB       the virtual size (VmSize)
//   peakPagefileUsageKB   its peak (VmPeak); between reads of the kernel's full
//                         status (whenever the size passes the last peak read,
//                         and at least every 100 ms) it can lag a peak that
//                         came and went
//   pageFaultCount        minor plus major faults of the process
// and the processor counts come from the CPU and node topology in sysfs.
//
// On every platform a peak is at least the current figure reported with it and
// never lower than a peak reported to the process before.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>

namespace Vexir {

struct MemoryInfo {
    std::uint64_t workingSetSizeKB = 0;
    std::uint64_t peakWorkingSetSizeKB = 0;
    std::uint64_t pagefileUsageKB = 0;
    std::uint64_t peakPagefileUsageKB = 0;
    std::uint64_t pageFaultCount = 0;
};

struct ProcessorInfo {
    std::uint32_t packageCount = 0;
    std::uint32_t coreCount = 0;
    // Cores that run more than one logical processor.
    std::uint32_t smtCoreCount = 0;
    std::uint32_t numaNodeCount = 0;
};

// False when the figures cannot be had.
VEXIR_API bool GetMemoryInfo(MemoryInfo& info);
VEXIR_API bool GetProcessorInfo(ProcessorInfo& info);

// Starts (or restarts) the log: its clock begins again and earlier records go.
VEXIR_API void MemoryUsageLogEnable();
// Records the memory figures under a task name and index, with the milliseconds
// since the log was enabled. False, recording nothing, before it is enabled.
// Cheap: one clock read, one memory query, one append under one lock.
VEXIR_API bool MemoryUsageLog(const char* task, int index);
// Writes the records as CSV (a header line, then one line per record, tasks
// quoted with their double quotes doubled) to the file of that UTF-8 path and
// empties them. Numbers are written as in the "C" locale, whatever locale the
// host has set. False, keeping the records, when the log is not enabled or the
// file cannot be written whole (a full disk, a failed flush or close).
VEXIR_API bool MemoryUsageLogDumpCSV(const char* path);

}  // namespace Vexir
