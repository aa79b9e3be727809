// The memory-usage log: records in memory under one process-wide lock, written
// out as CSV only when asked. The records and their lock live as the managers
// do: a thread still sampling when main returns, or a host's exit handler that
// samples, finds them whole; the library's unload hook empties and closes the
// log, and every later call returns false.
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
#include "Foundation/ForkSafety.h"
#include "Foundation/LibraryLifetime.h"

namespace Vexir {

namespace {

struct MemoryUsageRecord {
    std::string task;
    int index;
    float timestamp;
    MemoryInfo memory;
};

struct MemoryUsageState {
    MemoryUsageState() { HoldAcrossFork(&lock, false); }

    Mutex lock;
    ManualTimer start;
    std::vector<MemoryUsageRecord> records;
    unsigned long long restarts = 0;  // counts MemoryUsageLogEnable calls
    bool closed = false;
};

LibrarySingleton<MemoryUsageState> s_state;
// Read without the lock by every MemoryUsageLog call.
std::atomic<bool> s_bEnabled{false};

// The state, locked, unless the library is going away.
class OpenLog {
public:
    OpenLog() : _pState(s_state.Get())
    {
        if (_pState) {
            _pState->lock.Acquire();
            if (_pState->closed) {
                _pState->lock.Release();
                _pState = nullptr;
            }
        }
    }
    ~OpenLog()
    {
        if (_pState)
            _pState->lock.Release();
    }
    OpenLog(const OpenLog&) = delete;
    OpenLog& operator=(const OpenLog&) = delete;

    MemoryUsageState* operator->() const { return _pState; }
    explicit operator bool() const { return _pState != nullptr; }

private:
    MemoryUsageState* _pState;
};

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
bool WriteRecords(std::FILE* stream, const std::vector<MemoryUsageRecord>& records)
{
    if (!WriteAll(stream, kHeader))
        return false;
    std::string line;
    for (const MemoryUsageRecord& record : records) {
        line.clear();
        AppendRecord(line, record);
        if (!WriteAll(stream, line))
            return false;
    }
    return true;
}

}  // namespace

void DestroyMemoryUsageLog()
{
    s_state.Seal();
    if (MemoryUsageState* state = s_state.Existing()) {
        AutoMutexLock lock(&state->lock);
        std::vector<MemoryUsageRecord>().swap(state->records);
        state->closed = true;
    }
}

void MemoryUsageLogEnable()
{
    s_bEnabled = true;
    OpenLog log;
    if (!log)
        return;
    log->start.Reset();
    log->records.clear();
    ++log->restarts;
}

bool MemoryUsageLog(const char* task, int index)
{
    if (!s_bEnabled.load(std::memory_order_relaxed))
        return false;
    MemoryInfo memory;
    GetMemoryInfo(memory);
    OpenLog log;
    if (!log)
        return false;
    try {
        log->records.push_back({task ? task : "", index, static_cast<float>(log->start.Elapsed()), memory});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The file is opened and written without the log's lock, so that the threads
// sampling meanwhile do not wait for a slow disk, a network file or a FIFO
// nobody has opened yet; the records dumped are then taken out, and what was
// logged meanwhile stays for the next dump.
bool MemoryUsageLogDumpCSV(const char* path)
{
    if (!s_bEnabled.load() || !path)
        return false;
    std::vector<MemoryUsageRecord> records;
    unsigned long long restarts = 0;
    {
        OpenLog log;
        if (!log)
            return false;
        try {
            records = log->records;
        } catch (const std::bad_alloc&) {
            return false;
        }
        restarts = log->restarts;
    }
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
        written = WriteRecords(stream, records);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    // Writes only fill the stream's buffer: a full disk or a device that takes
    // nothing shows at the flush, a network file's deferred write at the close.
    // Only a dump that got through both has reached the file whole.
    written = std::fflush(stream) == 0 && !std::ferror(stream) && written;
    written = std::fclose(stream) == 0 && written;
    if (written) {
        OpenLog log;
        if (log && log->restarts == restarts)
            log->records.erase(log->records.begin(),
                               log->records.begin() + static_cast<std::ptrdiff_t>(records.size()));
    }
    return written;
}

}  // namespace Vexir
