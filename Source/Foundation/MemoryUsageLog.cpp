// The memory-usage log: records in memory under one process-wide lock, written
// out as CSV only when asked.
#include <Vexir/Files.h>
#include <Vexir/Sync.h>
#include <Vexir/SystemInfo.h>
#include <Vexir/Utf8Util.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "Files/FileSystem.h"
#include "Foundation/AutoMutexLock.h"
#include "Foundation/CsvNumbers.h"

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
// Read without the lock by every MemoryUsageLog call.
std::atomic<bool> s_bEnabled{false};

const char kHeader[] =
    "timestamp,task,index,workingSetSizeKB,peakWorkingSetSizeKB,pagefileUsageKB,peakPagefileUsageKB,"
    "pageFaultCount\n";

// CSV quoting: the text between double quotes, its own double quotes doubled.
void AppendQuoted(std::string& line, const std::string& text)
{
    line += '"';
    for (char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// One record's line. The numbers are written in the "C" locale whatever the
// host has made global, so that every reader parses them alike.
void AppendRecord(std::string& line, const MemoryUsageRecord& record)
{
    const MemoryInfo& m = record.memory;
    AppendCsvNumber(line, record.timestamp);
    line += ',';
    AppendQuoted(line, record.task);
    line += ',';
    AppendCsvNumber(line, record.index);
    for (const std::uint64_t number :
         {m.workingSetSizeKB, m.peakWorkingSetSizeKB, m.pagefileUsageKB, m.peakPagefileUsageKB, m.pageFaultCount}) {
        line += ',';
        AppendCsvNumber(line, number);
    }
    line += '\n';
}

bool WriteAll(std::FILE* stream, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

// Stops at the first write that fails: the rest could not reach the file either.
bool WriteRecords(std::FILE* stream)
{
    if (!WriteAll(stream, kHeader))
        return false;
    std::string line;
    for (const MemoryUsageRecord& record : s_lRecords) {
        line.clear();
        AppendRecord(line, record);
        if (!WriteAll(stream, line))
            return false;
    }
    return true;
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
    if (!s_bEnabled.load(std::memory_order_relaxed))
        return false;
    MemoryInfo memory;
    GetMemoryInfo(memory);
    AutoMutexLock lock(&s_mLock);
    try {
        s_lRecords.push_back({task ? task : "", index, static_cast<float>(s_tStart.Elapsed()), memory});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool MemoryUsageLogDumpCSV(const char* path)
{
    if (!s_bEnabled.load() || !path)
        return false;
    AutoMutexLock lock(&s_mLock);
    // The path is UTF-8; the file manager's streams open it by its wide name
    // where the system wants one.
    std::FILE* stream = nullptr;
    try {
        stream = OpenStream(path, IMgrFiles::WriteText);
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
    if (!stream)
        return false;
    bool written = false;
    try {
        written = WriteRecords(stream);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    // Writes only fill the stream's buffer: a full disk or a device that takes
    // nothing shows at the flush, a network file's deferred write at the close.
    // Only a dump that got through both has reached the file whole.
    written = std::fflush(stream) == 0 && !std::ferror(stream) && written;
    written = std::fclose(stream) == 0 && written;
    if (written)
        s_lRecords.clear();
    return written;
}

}  // namespace Vexir
