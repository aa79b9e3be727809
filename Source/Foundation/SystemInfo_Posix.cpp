// Linux figures: the resident and virtual sizes from /proc/self/statm, their
// peaks and the fault counts from getrusage and (now and then) the status file,
// and the processor topology from sysfs.
#include <Vexir/SystemInfo.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "Foundation/SyncPlatform.h"

namespace Vexir {

namespace {

bool ReadFile(const char* path, char* buffer, std::size_t size)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t got = read(fd, buffer, size - 1);
    close(fd);
    if (got <= 0)
        return false;
    buffer[got] = '\0';
    return true;
}

// A peak that only rises, kept per process. The process id rides in the top bits
// of the word, so one compare-exchange both raises the peak and tells a forked
// child, which starts from its own figures, from the parent it was copied from.
class ProcessPeak {
public:
    constexpr ProcessPeak() = default;

    // The peak so far, when this process has one.
    bool Known(pid_t process, std::uint64_t& peak) const
    {
        const std::uint64_t word = _uWord.load(std::memory_order_acquire);
        if ((word & ~kValueMask) != Tag(process))
            return false;
        peak = word & kValueMask;
        return true;
    }

    // Raises the peak to at least `value` and returns it: never less than any
    // peak returned to this process before.
    std::uint64_t Raise(pid_t process, std::uint64_t value)
    {
        value = value < kValueMask ? value : kValueMask;
        std::uint64_t word = _uWord.load(std::memory_order_acquire);
        for (;;) {
            std::uint64_t peak = value;
            if ((word & ~kValueMask) == Tag(process) && (word & kValueMask) > peak)
                peak = word & kValueMask;
            const std::uint64_t wanted = Tag(process) | peak;
            if (word == wanted || _uWord.compare_exchange_weak(word, wanted, std::memory_order_acq_rel))
                return peak;
        }
    }

private:
    // Process ids take at most 22 bits; 42 bits of kilobytes are 4 PiB.
    static constexpr int kValueBits = 42;
    static constexpr std::uint64_t kValueMask = (std::uint64_t{1} << kValueBits) - 1;

    static std::uint64_t Tag(pid_t process) { return static_cast<std::uint64_t>(process) << kValueBits; }

    std::atomic<std::uint64_t> _uWord{0};
};

ProcessPeak s_peakResidentKB;
ProcessPeak s_peakVirtualKB;

// VmPeak is only in the full status text, which the kernel writes out whole on
// every read; it is re-read when the size passes it and otherwise every 100 ms.
std::atomic<long long> s_iPeakReadAt{0};

std::uint64_t PeakVirtualKB(pid_t process, std::uint64_t currentKB)
{
    const long long now = ReadHighResCounter() / 1000000;  // ms
    std::uint64_t known = 0;
    if (s_peakVirtualKB.Known(process, known) && currentKB <= known && now - s_iPeakReadAt.load() < 100)
        return known;
    char status[8192];
    std::uint64_t peak = currentKB;
    if (ReadFile("/proc/self/status", status, sizeof status))
        if (const char* line = std::strstr(status, "VmPeak:"))
            peak = std::strtoull(line + 7, nullptr, 10);
    s_iPeakReadAt.store(now);
    return s_peakVirtualKB.Raise(process, peak > currentKB ? peak : currentKB);
}

int CountNumbered(const char* folder, const char* prefix)
{
    DIR* directory = opendir(folder);
    if (!directory)
        return 0;
    int count = 0;
    const std::size_t length = std::strlen(prefix);
    while (const dirent* entry = readdir(directory))
        if (std::strncmp(entry->d_name, prefix, length) == 0 && entry->d_name[length] >= '0' &&
            entry->d_name[length] <= '9')
            ++count;
    closedir(directory);
    return count;
}

bool ReadNumber(const std::string& path, long& value)
{
    std::ifstream file(path);
    return static_cast<bool>(file >> value);
}

// Whether the descriptor is still the statm file that process opened. A forked
// child holds a copy of its parent's; a host that closes descriptors it does not
// know of may have given the number to a file of its own since.
bool IsStatmOf(int fd, pid_t process)
{
    char link[40];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[64];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    char expected[40];
    const int expectedLength = std::snprintf(expected, sizeof expected, "/proc/%d/statm", static_cast<int>(process));
    // The target of a file whose process has gone ends in " (deleted)".
    return std::strncmp(target, expected, static_cast<std::size_t>(expectedLength)) == 0 &&
           (target[expectedLength] == '\0' || target[expectedLength] == ' ');
}

// The statm file stays open: a read from offset 0 gives fresh figures and costs
// a fraction of an open and close. The descriptor and the process that opened
// it share one word. Threads making their first call together each open the
// file, one installs its descriptor and the others close theirs. A forked child,
// whose copy of the descriptor names its parent, installs its own in the same
// way and closes the copy. At unload the descriptor is closed, and any call
// after that opens the file each time.
class StatmFile {
public:
    constexpr StatmFile() = default;
    ~StatmFile()
    {
        const std::uint64_t word = _uWord.exchange(kClosedForGood);
        if (word != kNone && word != kClosedForGood && IsStatmOf(Fd(word), Process(word)))
            close(Fd(word));
    }
    StatmFile(const StatmFile&) = delete;
    StatmFile& operator=(const StatmFile&) = delete;

    // This process's descriptor, opened on first use; -1 when none can be kept.
    int Descriptor(pid_t process)
    {
        const std::uint64_t word = _uWord.load(std::memory_order_acquire);
        if (word != kNone && word != kClosedForGood && Process(word) == process)
            return Verified(process, Fd(word)) ? Fd(word) : -1;
        return Install(process, word);
    }

private:
    static constexpr std::uint64_t kNone = 0;
    static constexpr std::uint64_t kClosedForGood = ~std::uint64_t{0};

    static std::uint64_t Word(pid_t process, int fd)
    {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(process)) << 32 | static_cast<std::uint32_t>(fd);
    }
    static pid_t Process(std::uint64_t word) { return static_cast<pid_t>(static_cast<std::uint32_t>(word >> 32)); }
    static int Fd(std::uint64_t word) { return static_cast<int>(static_cast<std::uint32_t>(word)); }

    // A host that closes descriptors it did not open may have given the number
    // to a file of its own; that one is let go (not closed: it is the host's)
    // and the next call opens the statm file again.
    bool Verified(pid_t process, int fd)
    {
        struct stat info;
        if (fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_ino) == _uInode.load() &&
            static_cast<std::uint64_t>(info.st_dev) == _uDevice.load())
            return true;
        std::uint64_t expected = Word(process, fd);
        _uWord.compare_exchange_strong(expected, kNone);
        return false;
    }

    int Install(pid_t process, std::uint64_t word)
    {
        if (word == kClosedForGood)
            return -1;
        const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        // Every thread of the process that opens the file sees the same one.
        struct stat info;
        if (fstat(fd, &info) != 0) {
            close(fd);
            return -1;
        }
        _uInode.store(static_cast<std::uint64_t>(info.st_ino));
        _uDevice.store(static_cast<std::uint64_t>(info.st_dev));
        for (;;) {
            if (word == kClosedForGood || (word != kNone && Process(word) == process)) {
                close(fd);
                return word == kClosedForGood ? -1 : Fd(word);
            }
            if (_uWord.compare_exchange_weak(word, Word(process, fd), std::memory_order_acq_rel,
                                             std::memory_order_acquire)) {
                if (word != kNone && IsStatmOf(Fd(word), Process(word)))
                    close(Fd(word));
                return fd;
            }
        }
    }

    std::atomic<std::uint64_t> _uWord{kNone};
    std::atomic<std::uint64_t> _uInode{0};
    std::atomic<std::uint64_t> _uDevice{0};
};

StatmFile s_statm;

bool ReadStatm(pid_t process, char* buffer, std::size_t size)
{
    const int fd = s_statm.Descriptor(process);
    const ssize_t got = fd >= 0 ? pread(fd, buffer, size - 1, 0) : -1;
    // With no descriptor kept (the library is unloading, or the number now
    // names another file) or one that fails, the file is read the slow way.
    if (got <= 0)
        return ReadFile("/proc/self/statm", buffer, size);
    buffer[got] = '\0';
    return true;
}

}  // namespace

bool GetMemoryInfo(MemoryInfo& info)
{
    static const long s_lPageKB = sysconf(_SC_PAGESIZE) / 1024;
    const pid_t process = getpid();
    char statm[256];
    unsigned long long sizePages = 0, residentPages = 0;
    if (!ReadStatm(process, statm, sizeof statm) ||
        std::sscanf(statm, "%llu %llu", &sizePages, &residentPages) != 2)
        return false;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return false;
    info.workingSetSizeKB = residentPages * static_cast<std::uint64_t>(s_lPageKB);
    // The kernel's high-water mark can trail the resident size read a moment
    // before, and the two come from different reads; the peak takes the larger
    // and never falls below one reported earlier.
    const std::uint64_t highWaterKB = static_cast<std::uint64_t>(usage.ru_maxrss);
    info.peakWorkingSetSizeKB =
        s_peakResidentKB.Raise(process, highWaterKB > info.workingSetSizeKB ? highWaterKB : info.workingSetSizeKB);
    info.pagefileUsageKB = sizePages * static_cast<std::uint64_t>(s_lPageKB);
    info.peakPagefileUsageKB = PeakVirtualKB(process, info.pagefileUsageKB);
    info.pageFaultCount = static_cast<std::uint64_t>(usage.ru_minflt) + static_cast<std::uint64_t>(usage.ru_majflt);
    return true;
}

bool GetProcessorInfo(ProcessorInfo& info)
{
    info = ProcessorInfo();
    const std::string base = "/sys/devices/system/cpu/";
    DIR* directory = opendir(base.c_str());
    if (!directory)
        return false;
    // Logical processors per (package, core).
    std::map<std::pair<long, long>, int> cores;
    std::set<long> packages;
    while (const dirent* entry = readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, "cpu", 3) != 0 || name[3] < '0' || name[3] > '9')
            continue;
        long package = 0, core = 0;
        const std::string topology = base + name + "/topology/";
        if (!ReadNumber(topology + "physical_package_id", package) || !ReadNumber(topology + "core_id", core))
            continue;
        packages.insert(package);
        ++cores[{package, core}];
    }
    closedir(directory);
    if (cores.empty())
        return false;
    info.packageCount = static_cast<std::uint32_t>(packages.size());
    info.coreCount = static_cast<std::uint32_t>(cores.size());
    for (const auto& core : cores)
        info.smtCoreCount += core.second > 1 ? 1 : 0;
    const int nodes = CountNumbered("/sys/devices/system/node", "node");
    info.numaNodeCount = static_cast<std::uint32_t>(nodes > 0 ? nodes : 1);
    return true;
}

}  // namespace Vexir
