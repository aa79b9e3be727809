#include "Assert/CallStack_Posix.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Vexir {

namespace {

const int kMostFrames = 64;

std::string Demangled(const char* name)
{
    int status = 0;
    char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = status == 0 && readable ? readable : name;
    std::free(readable);
    return result;
}

std::string FrameLine(int index, void* address)
{
    char line[160];
    std::snprintf(line, sizeof line, "#%-2d 0x%016lx ", index, reinterpret_cast<unsigned long>(address));
    std::string text = line;
    Dl_info info = {};
    // The return address may be the first byte after the call's function.
    const auto* inCall = static_cast<const char*>(address) - 1;
    if (!dladdr(inCall, &info) || !info.dli_fname) {
        text += "??\n";
        return text;
    }
    const char* module = std::strrchr(info.dli_fname, '/');
    text += module ? module + 1 : info.dli_fname;
    const auto at = reinterpret_cast<unsigned long>(address);
    if (info.dli_sname && info.dli_saddr) {
        std::snprintf(line, sizeof line, "+0x%lx", at - reinterpret_cast<unsigned long>(info.dli_saddr));
        text += "!" + Demangled(info.dli_sname) + line;
    } else {
        std::snprintf(line, sizeof line, "+0x%lx", at - reinterpret_cast<unsigned long>(info.dli_fbase));
        text += line;
    }
    return text + "\n";
}

}  // namespace

__attribute__((noinline)) std::string CallStackOfThisThread()
{
    void* frames[kMostFrames];
    const int count = backtrace(frames, kMostFrames);
    std::string text = "Call stack of thread " + std::to_string(static_cast<long>(syscall(SYS_gettid))) + ":\n";
    for (int i = 1; i < count; ++i)  // not this function's own frame
        text += FrameLine(i - 1, frames[i]);
    if (count == kMostFrames)
        text += "(deeper frames left out)\n";
    return text;
}

}  // namespace Vexir
