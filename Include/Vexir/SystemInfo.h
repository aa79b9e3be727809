/// @file
/// The process's memory figures, the machine's processor counts, and a
/// memory-usage log that the host fills at points of its choice and writes as
/// CSV.
///
/// Linux has no page file; the figures keep their Windows meanings like this:
/// @verbatim
///   workingSetSizeKB      the resident set (VmRSS)
///   peakWorkingSetSizeKB  its peak (VmHWM, from getrusage)
///   pagefileUsageKB       the virtual size (VmSize)
///   peakPagefileUsageKB   its peak (VmPeak); between reads of the kernel's full
///                         status (whenever the size passes the last peak read,
///                         and at least every 100 ms) it can lag a peak that
///                         came and went
///   pageFaultCount        minor plus major faults of the process
/// @endverbatim
/// and the processor counts come from the CPU and node topology in sysfs.
///
/// On every platform a peak is at least the current figure reported with it and
/// never lower than a peak reported to the process before.
///
/// Every function here may be called from any thread.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>

namespace Vexir {

/// The process's memory figures, in kilobytes (1024 bytes) but for the fault
/// count. The Linux meanings are listed in SystemInfo.h.
struct MemoryInfo {
    std::uint64_t workingSetSizeKB = 0;        ///< The memory resident in RAM (the working set).
    std::uint64_t peakWorkingSetSizeKB = 0;    ///< The peak of workingSetSizeKB.
    std::uint64_t pagefileUsageKB = 0;         ///< Windows: the private memory committed; Linux: the virtual size.
    std::uint64_t peakPagefileUsageKB = 0;     ///< The peak of pagefileUsageKB.
    std::uint64_t pageFaultCount = 0;          ///< The page faults of the process so far (a count, not kilobytes).
};

/// The machine's processor counts. On Windows they cover only the processor
/// group of the calling thread (at most 64 logical processors).
struct ProcessorInfo {
    std::uint32_t packageCount = 0;   ///< Processor packages (sockets).
    std::uint32_t coreCount = 0;      ///< Physical cores.
    /// Cores that run more than one logical processor.
    std::uint32_t smtCoreCount = 0;
    std::uint32_t numaNodeCount = 0;  ///< NUMA nodes (on Linux at least 1).
};

/// Fills `info` with the process's current figures. False, leaving `info` as
/// it was, when the figures cannot be had.
VEXIR_API bool GetMemoryInfo(MemoryInfo& info);
/// Fills `info` with the machine's processor counts. False, with every count
/// 0, when they cannot be had.
VEXIR_API bool GetProcessorInfo(ProcessorInfo& info);

/// Starts (or restarts) the log: its clock begins again and earlier records go.
/// Nothing disables the log again.
VEXIR_API void MemoryUsageLogEnable();
/// Records the memory figures under a task name and index, with the milliseconds
/// since the log was enabled. False, recording nothing, before it is enabled
/// (or when memory for the record runs out). A null task is recorded as empty,
/// figures that cannot be had as zeros.
/// Cheap: one clock read, one memory query, one append under one lock.
VEXIR_API bool MemoryUsageLog(const char* task, int index);
/// Writes the records as CSV (a header line, then one line per record, tasks
/// quoted with their double quotes doubled) to the file of that UTF-8 path and
/// empties them. Numbers are written as in the "C" locale, whatever locale the
/// host has set. False, keeping the records, when the log is not enabled or the
/// file cannot be written whole (a full disk, a failed flush or close).
///
/// The columns are timestamp (milliseconds, six significant digits), task,
/// index and the five MemoryInfo fields by their names. The file is written in
/// text mode (CR LF line ends on Windows). A null path, or one that is not
/// valid UTF-8, gives false.
VEXIR_API bool MemoryUsageLogDumpCSV(const char* path);

}  // namespace Vexir
