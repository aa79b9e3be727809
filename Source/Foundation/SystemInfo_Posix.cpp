// Linux figures: the resident and virtual sizes from /proc/self/statm, their
// peaks and the fault counts from getrusage and (now and then) the status file,
// and the processor topology from sysfs.
#include <Vexir/SystemInfo.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
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

// VmPeak is only in the full status text, which the kernel writes out whole on
// every read; it is re-read when the size passes it and otherwise every 100 ms.
std::atomic<std::uint64_t> s_uPeakVirtualKB{0};
std::atomic<long long> s_iPeakReadAt{0};

std::uint64_t PeakVirtualKB(std::uint64_t currentKB)
{
    const long long now = ReadHighResCounter() / 1000000;  // ms
    if (currentKB <= s_uPeakVirtualKB.load() && now - s_iPeakReadAt.load() < 100)
        return s_uPeakVirtualKB.load();
    char status[8192];
    std::uint64_t peak = currentKB;
    if (ReadFile("/proc/self/status", status, sizeof status))
        if (const char* line = std::strstr(status, "VmPeak:"))
            peak = std::strtoull(line + 7, nullptr, 10);
    if (peak < currentKB)
        peak = currentKB;
    s_uPeakVirtualKB.store(peak);
    s_iPeakReadAt.store(now);
    return peak;
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

// The statm file stays open: a read from offset 0 gives fresh figures and costs
// a fraction of an open and close. It names the process that opened it, so a
// forked child opens its own.
std::atomic<int> s_iStatm{-1};
std::atomic<pid_t> s_iStatmOwner{0};

bool ReadStatm(char* buffer, std::size_t size)
{
    if (s_iStatmOwner.load() != getpid()) {
        const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const int previous = s_iStatm.exchange(fd);
        if (previous >= 0 && s_iStatmOwner.load() == getpid())
            close(previous);
        s_iStatmOwner.store(getpid());
    }
    const ssize_t got = pread(s_iStatm.load(), buffer, size - 1, 0);
    if (got <= 0)
        return false;
    buffer[got] = '\0';
    return true;
}

}  // namespace

bool GetMemoryInfo(MemoryInfo& info)
{
    static const long s_lPageKB = sysconf(_SC_PAGESIZE) / 1024;
    char statm[256];
    unsigned long long sizePages = 0, residentPages = 0;
    if (!ReadStatm(statm, sizeof statm) ||
        std::sscanf(statm, "%llu %llu", &sizePages, &residentPages) != 2)
        return false;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return false;
    info.workingSetSizeKB = residentPages * static_cast<std::uint64_t>(s_lPageKB);
    info.peakWorkingSetSizeKB = static_cast<std::uint64_t>(usage.ru_maxrss);
    if (info.peakWorkingSetSizeKB < info.workingSetSizeKB)
        info.peakWorkingSetSizeKB = info.workingSetSizeKB;
    info.pagefileUsageKB = sizePages * static_cast<std::uint64_t>(s_lPageKB);
    info.peakPagefileUsageKB = PeakVirtualKB(info.pagefileUsageKB);
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
