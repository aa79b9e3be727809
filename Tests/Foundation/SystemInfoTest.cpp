#include <Vexir/SystemInfo.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// Written for the CSV check of Tests/Foundation/ReadMemoryCsv.py, which reads the
// file back with a real CSV reader.
TEST(MemoryUsageLog, WritesCsvForReaders)
{
    MemoryUsageLogEnable();
    for (const char* task : {"plain", "with \"quotes\"", "comma, inside", "gr\xC3\xBC\xC3\x9F" "e"})
        ASSERT_TRUE(MemoryUsageLog(task, 7));
    ASSERT_TRUE(MemoryUsageLogDumpCSV("memory-usage.csv"));
}

}  // namespace
