// A host that registered an exit handler before it loaded the library: at
// exit the library's own static destructors run first, then the handler,
// which still uses the library. Nothing it reaches may be gone by then
// (AddressSanitizer sees a use after destruction).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "DynamicLibrary.h"

namespace {

using EnableFunction = void (*)();
using LogFunction = bool (*)(const char*, int);

LogFunction s_pLog = nullptr;

void SampleAtExit()
{
    if (s_pLog)
        s_pLog("at exit", 1);
}

TEST(ExitOrder, AnExitHandlerRegisteredBeforeLoadingMayStillUseTheLibrary)
{
    const pid_t child = fork();
    if (child == 0) {
        std::atexit(SampleAtExit);
        // Kept loaded to the end, as a host's plug-in is.
        static auto* library = new VexirTest::DynamicLibrary(VEXIR_LIBRARY_FILE);
        auto enable = reinterpret_cast<EnableFunction>(library->Symbol("_ZN5Vexir20MemoryUsageLogEnableEv"));
        s_pLog = reinterpret_cast<LogFunction>(library->Symbol("_ZN5Vexir14MemoryUsageLogEPKci"));
        if (!enable || !s_pLog)
            _exit(90);
        enable();
        s_pLog("loaded", 0);
        std::exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
