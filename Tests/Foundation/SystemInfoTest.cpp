#include <Vexir/SystemInfo.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "Foundation/CsvNumbers.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

TEST(SystemInfo, MemoryFiguresFollowWhatTheProcessDoes)
{
    MemoryInfo before;
    ASSERT_TRUE(GetMemoryInfo(before));
    const std::size_t size = 64u << 20;
    std::vector<char> block(size);
    std::memset(block.data(), 1, size);  // touched, so resident
    MemoryInfo after;
    ASSERT_TRUE(GetMemoryInfo(after));
    EXPECT_GE(after.workingSetSizeKB, before.workingSetSizeKB + 60 * 1024);
    EXPECT_GE(after.peakWorkingSetSizeKB, after.workingSetSizeKB);
    EXPECT_GE(after.peakPagefileUsageKB, after.pagefileUsageKB);
    EXPECT_GE(after.pagefileUsageKB, before.pagefileUsageKB + 60 * 1024);
    // Touching fresh pages faults; Wine keeps no count (it reports 0 throughout).
    if (before.pageFaultCount > 0) {
        EXPECT_GT(after.pageFaultCount, before.pageFaultCount);
    }
    EXPECT_EQ(block[size - 1], 1);
}

TEST(SystemInfo, ProcessorCountsFitTheMachine)
{
    ProcessorInfo info;
    ASSERT_TRUE(GetProcessorInfo(info));
    const unsigned logical = std::thread::hardware_concurrency();
    EXPECT_GE(info.packageCount, 1u);
    EXPECT_GE(info.coreCount, info.packageCount);
    EXPECT_LE(info.smtCoreCount, info.coreCount);
    EXPECT_GE(info.numaNodeCount, 1u);
    if (logical > 0) {
        EXPECT_LE(info.coreCount, logical);
        if (info.smtCoreCount == 0) {
            EXPECT_EQ(info.coreCount, logical) << "without SMT every logical processor is a core";
        }
    }
}

// The log's records: every call from several threads at once is kept.
TEST(MemoryUsageLogThreads, NoRecordIsLost)
{
    VexirTest::ScratchDirectory scratch;
    MemoryUsageLogEnable();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i)
                MemoryUsageLog(("thread" + std::to_string(t)).c_str(), i);
        });
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("threads.csv").c_str()));
    const std::string text = scratch.ReadText("threads.csv");
    std::size_t lines = 0;
    for (char c : text)
        lines += c == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 1u + 1000u);
}

// Restarting the log while other threads record is safe.
TEST(MemoryUsageLogThreads, EnablingWhileOthersRecord)
{
    VexirTest::ScratchDirectory scratch;
    MemoryUsageLogEnable();
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&stop] {
            while (!stop.load())
                MemoryUsageLog("busy", 0);
        });
    for (int i = 0; i < 200; ++i)
        MemoryUsageLogEnable();
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("busy.csv").c_str()));
}

// However the process's memory comes and goes, the peak reported by any call
// is at least the current size it reports and at least every peak reported by
// a call that ended before it began.
TEST(SystemInfoThreads, PeakWorkingSetNeverGoesDown)
{
    std::atomic<std::uint64_t> highest{0};
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0}, fell{0}, belowCurrent{0}, failed{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t)
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::uint64_t before = highest.load();
                MemoryInfo info;
                if (!GetMemoryInfo(info)) {
                    ++failed;
                    continue;
                }
                ++calls;
                fell += info.peakWorkingSetSizeKB < before ? 1 : 0;
                belowCurrent += info.peakWorkingSetSizeKB < info.workingSetSizeKB ? 1 : 0;
                std::uint64_t seen = highest.load();
                while (seen < info.peakWorkingSetSizeKB &&
                       !highest.compare_exchange_weak(seen, info.peakWorkingSetSizeKB)) {
                }
            }
        });
    // Blocks large enough to be mapped afresh and given back whole each time,
    // made resident a page at a time.
    for (int round = 0; round < 8; ++round) {
        const std::size_t size = static_cast<std::size_t>(36 + 8 * (round % 5)) << 20;
        std::unique_ptr<char[]> block(new char[size]);
        char* volatile pages = block.get();
        for (std::size_t offset = 0; offset < size; offset += 4096)
            pages[offset] = 1;
    }
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_GT(calls.load(), 0);
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(fell.load(), 0) << "a peak below one reported earlier, in " << calls.load() << " calls";
    EXPECT_EQ(belowCurrent.load(), 0) << "a peak below the current size, in " << calls.load() << " calls";
}

std::string WithoutTimestamps(const std::string& csv)
{
    std::string result;
    std::size_t start = 0;
    bool header = true;
    while (start < csv.size()) {
        const std::size_t end = csv.find('\n', start);
        const std::string line = csv.substr(start, end - start);
        result += header ? line : line.substr(line.find(','));
        result += '\n';
        header = false;
        start = end == std::string::npos ? csv.size() : end + 1;
    }
    return result;
}

// The log lives as long as the library: a thread still sampling while the
// process exits finds it whole (AddressSanitizer sees any use after its end).
TEST(MemoryUsageLog, AThreadSamplingAsTheProcessExitsIsSafe)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"sample-while-exiting"}, "", 60000);
    EXPECT_TRUE(child.exited) << "ended by a signal";
    EXPECT_EQ(child.exitCode, 0);
}

TEST(MemoryUsageLog, DumpsCsvAndEmptiesTheRecords)
{
    VexirTest::ScratchDirectory scratch;
    MemoryUsageLogEnable();
    ASSERT_TRUE(MemoryUsageLog("render", 3));
    ASSERT_TRUE(MemoryUsageLog("say \"hi\", twice", -1));
    EXPECT_FALSE(MemoryUsageLogDumpCSV(scratch.Path("missing/dir.csv").c_str()));
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("one.csv").c_str()));
    const std::string header =
        "timestamp,task,index,workingSetSizeKB,peakWorkingSetSizeKB,pagefileUsageKB,peakPagefileUsageKB,"
        "pageFaultCount\n";
    const std::string csv = scratch.ReadText("one.csv");
    const std::string shape = WithoutTimestamps(csv);
    EXPECT_EQ(shape.substr(0, header.size() + 12), header + ",\"render\",3,") << "the records survived the failed dump";
    EXPECT_NE(shape.find(",\"say \"\"hi\"\", twice\",-1,"), std::string::npos) << shape;
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("two.csv").c_str()));
    EXPECT_EQ(scratch.ReadText("two.csv"), header) << "the first dump emptied the records";
}

// The records' lines (the header left out) split at their commas; the tasks of
// these tests hold no comma.
std::vector<std::vector<std::string>> RecordFields(const std::string& csv)
{
    std::vector<std::vector<std::string>> records;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        records.push_back(fields);
    }
    return records;
}

std::size_t CountLines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A dump that does not reach the file whole leaves the records for the next one.
TEST(MemoryUsageLog, FailedDumpKeepsTheRecords)
{
    VexirTest::ScratchDirectory scratch;
    MemoryUsageLogEnable();
    ASSERT_TRUE(MemoryUsageLog("first", 1));
    EXPECT_FALSE(MemoryUsageLogDumpCSV(scratch.Path("missing/dir.csv").c_str()));
    std::size_t records = 1;
    // The device takes the open but no byte: a short dump fails only as it is
    // flushed, a long one in the middle of writing.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(MemoryUsageLogDumpCSV("/dev/full")) << "a dump to a full device succeeded";
        for (; records < 5000; ++records)
            ASSERT_TRUE(MemoryUsageLog("more", static_cast<int>(records)));
        EXPECT_FALSE(MemoryUsageLogDumpCSV("/dev/full")) << "a long dump to a full device succeeded";
    }
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("kept.csv").c_str()));
    const std::string csv = scratch.ReadText("kept.csv");
    EXPECT_EQ(CountLines(csv), 1 + records) << "records were lost with a failed dump";
    const auto fields = RecordFields(csv);
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields.front()[1], "\"first\"");
}

// The path is UTF-8 on every platform.
TEST(MemoryUsageLog, DumpsToAUtf8Name)
{
    VexirTest::ScratchDirectory scratch;
    const std::string name = "gr\xC3\xBC\xC3\x9F" "e.csv";
    MemoryUsageLogEnable();
    ASSERT_TRUE(MemoryUsageLog("named", 1));
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path(name).c_str()));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(scratch.Path())))
        names.push_back(entry.path().filename().u8string());
    EXPECT_EQ(names, std::vector<std::string>{name});
    EXPECT_EQ(CountLines(scratch.ReadText(name)), 2u);
}

// Numbers the way a German host writes them: a decimal comma and points
// between groups of three digits.
class CommaDecimal : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class GlobalLocale {
public:
    explicit GlobalLocale(const std::locale& locale) : _previous(std::locale::global(locale)) {}
    ~GlobalLocale() { std::locale::global(_previous); }
    GlobalLocale(const GlobalLocale&) = delete;
    GlobalLocale& operator=(const GlobalLocale&) = delete;

private:
    std::locale _previous;
};

bool OnlyCharacters(const std::string& text, const char* allowed)
{
    return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

TEST(MemoryUsageLog, NumbersIgnoreTheHostsLocale)
{
    VexirTest::ScratchDirectory scratch;
    const GlobalLocale german(std::locale(std::locale::classic(), new CommaDecimal));
    std::ostringstream probe;
    probe << 1024 << ' ' << 12.5;
    ASSERT_EQ(probe.str(), "1.024 12,5") << "the test's locale is not in force";

    MemoryUsageLogEnable();
    ASSERT_TRUE(MemoryUsageLog("task", 1024));
    ASSERT_TRUE(MemoryUsageLog("task", -123456));
    ASSERT_TRUE(MemoryUsageLogDumpCSV(scratch.Path("numbers.csv").c_str()));
    const auto records = RecordFields(scratch.ReadText("numbers.csv"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][2], "1024");
    EXPECT_EQ(records[1][2], "-123456");
    for (const auto& fields : records) {
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_TRUE(OnlyCharacters(fields[0], "0123456789.e+-")) << fields[0];
        for (std::size_t i = 3; i < fields.size(); ++i)
            EXPECT_TRUE(OnlyCharacters(fields[i], "0123456789")) << fields[i];
    }
}

// Timestamps read as a stream in the "C" locale writes a float: six
// significant digits, an exponent only for the very small and the large.
TEST(MemoryUsageLog, TimestampsAreWrittenAsAStreamWritesAFloat)
{
    const GlobalLocale german(std::locale(std::locale::classic(), new CommaDecimal));
    for (float value : {0.0f, 12.5f, 1234567.0f, 0.000123f, 0.0000123f, 999999.5f, 100000.0f, 1000000.0f,
                        3.14159265f, 0.1f, 1e-30f, 3.4e38f, 42.0f, 7.0625f}) {
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        stream << value;
        std::string text;
        AppendCsvNumber(text, value);
        EXPECT_EQ(text, stream.str());
    }
    std::string text;
    AppendCsvNumber(text, 12.5f);
    text += ',';
    AppendCsvNumber(text, 1234567.0f);
    EXPECT_EQ(text, "12.5,1.23457e+06");
}

// Written for the CSV check of Tests/Foundation/ReadMemoryCsv.py, which reads the
// file back with a real CSV reader.
TEST(MemoryUsageLog, WritesCsvForReaders)
{
    const VexirTest::ScratchDirectory scratch;
    MemoryUsageLogEnable();
    for (const char* task : {"plain", "with \"quotes\"", "comma, inside", "gr\xC3\xBC\xC3\x9F" "e"})
        ASSERT_TRUE(MemoryUsageLog(task, 7));
    const std::string path = VexirTest::OutputPath(scratch, "memory-usage.csv");
    ASSERT_TRUE(MemoryUsageLogDumpCSV(path.c_str()));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
}

}  // namespace
