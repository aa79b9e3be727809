// The memory-usage log: records in memory under one process-wide lock, written
// out as CSV only when asked.
#include <Vexir/Sync.h>
#include <Vexir/SystemInfo.h>

#include <fstream>
#include <string>
#include <vector>

#include "Foundation/AutoMutexLock.h"

namespace Vexir {

namespace {

struct MemoryUsageRecord {
    std::string task;
    int index;
    float timestamp;
    MemoryInfo memory;
};

// Made at load, in this order: the lock, then the clock.
Mutex s_mLock;
ManualTimer s_tStart;
std::vector<MemoryUsageRecord> s_lRecords;
bool s_bEnabled = false;

// CSV quoting: the text between double quotes, its own double quotes doubled.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

void MemoryUsageLogEnable()
{
    s_bEnabled = true;
    AutoMutexLock lock(&s_mLock);
    s_tStart.Reset();
    s_lRecords.clear();
}

bool MemoryUsageLog(const char* task, int index)
{
    if (!s_bEnabled)
        return false;
    MemoryInfo memory;
    GetMemoryInfo(memory);
    AutoMutexLock lock(&s_mLock);
    s_lRecords.push_back({task ? task : "", index, static_cast<float>(s_tStart.Elapsed()), memory});
    return true;
}

bool MemoryUsageLogDumpCSV(const char* path)
{
    if (!s_bEnabled || !path)
        return false;
    AutoMutexLock lock(&s_mLock);
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file)
        return false;
    file << "timestamp,task,index,workingSetSizeKB,peakWorkingSetSizeKB,pagefileUsageKB,peakPagefileUsageKB,"
            "pageFaultCount"
         << std::endl;
    for (const MemoryUsageRecord& record : s_lRecords) {
        const MemoryInfo& m = record.memory;
        file << record.timestamp << ',' << Quoted(record.task) << ',' << record.index << ',' << m.workingSetSizeKB
             << ',' << m.peakWorkingSetSizeKB << ',' << m.pagefileUsageKB << ',' << m.peakPagefileUsageKB << ','
             << m.pageFaultCount << std::endl;
    }
    file.close();
    s_lRecords.clear();
    return true;
}

}  // namespace Vexir
