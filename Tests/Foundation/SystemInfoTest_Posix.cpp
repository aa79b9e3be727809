// Linux reads the memory figures through a statm file kept open; these tests
// make sure it is opened once per process, whatever the threads and forks, and
// closed when the library goes.
#include <Vexir/SystemInfo.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

// This process's descriptors open on a statm file of /proc, its own or another's.
int CountStatmDescriptors()
{
    DIR* directory = opendir("/proc/self/fd");
    if (!directory)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(directory)) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[256];
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length <= 0)
            continue;
        const std::string text(target, static_cast<std::size_t>(length));
        const std::string tail = "/statm";
        if (text.compare(0, 6, "/proc/") == 0 && text.size() > tail.size() &&
            text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
            ++count;
    }
    closedir(directory);
    return count;
}

// The descriptor this process has open on a statm file, or -1.
int StatmDescriptor()
{
    for (int fd = 0; fd < 1024; ++fd) {
        char link[40], target[256];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t length = readlink(link, target, sizeof target - 1);
        if (length > 6 && std::strncmp(target + length - 6, "/statm", 6) == 0)
            return fd;
    }
    return -1;
}

// Threads that all make their first call at the same moment.
bool ReadTogether(int threadCount)
{
    std::atomic<int> waiting{threadCount};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([&] {
            --waiting;
            while (waiting.load() > 0) {
            }
            MemoryInfo info;
            failures += GetMemoryInfo(info) ? 0 : 1;
        });
    for (std::thread& thread : threads)
        thread.join();
    return failures.load() == 0;
}

// Exit codes of the forked child.
enum ChildOutcome { ReadFailed = 100, ReadTheParentsFigures = 101, ListFailed = 102 };

// Runs in a forked child, which has not read its own figures yet and holds a
// copy of the parent's descriptor, which names the parent. Returns the exit
// status: the number of statm descriptors left open, or a ChildOutcome.
int CheckForkedChild(bool checkFigures)
{
    if (!ReadTogether(8))
        return ReadFailed;
    const int count = CountStatmDescriptors();
    if (count < 0)
        return ListFailed;
    if (!checkFigures)
        return count;
    // Fresh pages, which the heap might not give: the figures must be this
    // process's own, not those of the parent that opened the first file.
    MemoryInfo before, after;
    const std::size_t size = 64u << 20;
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED || !GetMemoryInfo(before))
        return ReadFailed;
    std::memset(block, 1, size);
    if (!GetMemoryInfo(after))
        return ReadFailed;
    if (after.workingSetSizeKB < before.workingSetSizeKB + 60 * 1024)
        return ReadTheParentsFigures;
    return count;
}

TEST(SystemInfoThreads, StatmIsOpenedOncePerProcess)
{
    ASSERT_TRUE(ReadTogether(8));
    EXPECT_LE(CountStatmDescriptors(), 1);

    // Each child is one more chance for the first calls to collide.
    for (int round = 0; round < 16; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(CheckForkedChild(round == 0));
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_LE(WEXITSTATUS(status), 1) << "statm descriptors open in the child (100 and up: other failures)";
    }
    EXPECT_LE(CountStatmDescriptors(), 1);
}

// A second copy of the library, loaded from another file, keeps a descriptor of
// its own; unloading it must close that descriptor.
TEST(SystemInfo, StatmIsClosedWhenTheLibraryUnloads)
{
    Dl_info loaded{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&GetMemoryInfo), &loaded), 0);
    ASSERT_NE(loaded.dli_fname, nullptr);
    VexirTest::ScratchDirectory scratch;
    const std::string copy = scratch.Path("libVexirCoreCopy.so");
    std::filesystem::copy_file(loaded.dli_fname, copy);

    MemoryInfo info;
    ASSERT_TRUE(GetMemoryInfo(info));
    const int before = CountStatmDescriptors();
    void* library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using GetMemoryFunction = bool (*)(MemoryInfo&);
    // Vexir::GetMemoryInfo(MemoryInfo&), by its mangled name.
    const auto getMemory =
        reinterpret_cast<GetMemoryFunction>(dlsym(library, "_ZN5Vexir13GetMemoryInfoERNS_10MemoryInfoE"));
    ASSERT_NE(getMemory, nullptr);
    ASSERT_NE(reinterpret_cast<void*>(getMemory), reinterpret_cast<void*>(&GetMemoryInfo)) << "not a second copy";
    EXPECT_TRUE(getMemory(info));
    EXPECT_EQ(CountStatmDescriptors(), before + 1);
    dlclose(library);
    void* still = dlopen(copy.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (still) {
        dlclose(still);
        GTEST_SKIP() << "the copy stayed loaded";
    }
    EXPECT_EQ(CountStatmDescriptors(), before) << "the unloaded copy left its descriptor open";
}

// A host that closes every descriptor it did not open and gets the number back
// for a file of its own: the library must notice, not read the host's file.
TEST(SystemInfo, AStatmNumberReusedByTheHostIsNotRead)
{
    MemoryInfo before{};
    ASSERT_TRUE(GetMemoryInfo(before));
    const int kept = StatmDescriptor();
    ASSERT_GE(kept, 0);

    VexirTest::ScratchDirectory scratch;
    const std::string path = scratch.Path("host-file");
    { std::ofstream(path) << "900000000 900000000 1 1 0 1 0\n"; }
    const int host = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(host, 0);
    ASSERT_EQ(dup2(host, kept), kept);  // closes the library's descriptor, reuses its number
    close(host);

    MemoryInfo after{};
    ASSERT_TRUE(GetMemoryInfo(after));
    EXPECT_LT(after.workingSetSizeKB, before.workingSetSizeKB * 4 + 1024 * 1024);
    EXPECT_LT(after.peakWorkingSetSizeKB, before.peakWorkingSetSizeKB * 4 + 1024 * 1024);
    char text[64] = {};
    EXPECT_GT(pread(kept, text, sizeof text - 1, 0), 0) << "the host's file was closed";
    close(kept);
}

// A dump into a FIFO nobody has opened yet waits in its open; the threads
// sampling meanwhile must not wait with it.
TEST(MemoryUsageLogThreads, ADumpWaitingOnItsFileHoldsUpNoSampling)
{
    VexirTest::ScratchDirectory scratch;
    const std::string fifo = scratch.Path("dump.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Vexir::MemoryUsageLogEnable();
    // The dump opens its file for reading and writing, which does not wait for
    // a reader on a FIFO; more than a pipe holds makes its writes wait instead.
    const std::string task(200, 'x');
    ASSERT_TRUE(Vexir::MemoryUsageLog("before", 0));
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(Vexir::MemoryUsageLog(task.c_str(), i));
    std::atomic<bool> dumped{false};
    std::thread dumper([&] { dumped = Vexir::MemoryUsageLogDumpCSV(fifo.c_str()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::atomic<bool> sampled{false};
    std::thread sampler([&] {
        for (int i = 0; i < 10; ++i)
            Vexir::MemoryUsageLog("while dumping", i);
        sampled = true;
    });
    for (int i = 0; i < 200 && !sampled; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool inTime = sampled;
    std::ifstream reader(fifo);  // lets the dump go on
    const std::string csv((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    dumper.join();
    sampler.join();
    EXPECT_TRUE(inTime) << "sampling waited for the dump's file";
    EXPECT_TRUE(dumped);
    EXPECT_NE(csv.find("\"before\""), std::string::npos);
}

}  // namespace
