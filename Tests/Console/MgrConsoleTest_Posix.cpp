// The console manager in a host that forks while another thread logs.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ConsoleFixture.h"

namespace {

using namespace Vexir;
using MgrConsolePosix = VexirTest::ConsoleFixture;

// Counts in an atomic only, which a forked child can use whatever the
// parent's threads were doing.
struct CountingConsole : IConsole {
    void Output(MessageKind, VerbosityLevel, const char*) override { ++count; }
    std::atomic<long> count{0};
};

// Whether the child ended by itself, with exit code 0, within 3 s.
bool EndsWell(pid_t child)
{
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

TEST_F(MgrConsolePosix, AChildForkedWhileAnotherThreadLogsCanLog)
{
    auto* console = new CountingConsole;
    ASSERT_TRUE(manager->AddConsole(console));
    std::atomic<bool> logging{true};
    std::thread logger([&] {
        while (logging)
            manager->PrintInfo("from the parent's other thread %ld", console->count.load());
    });
    int hung = 0;
    for (int i = 0; i < 10; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            const long before = console->count.load();
            GetMgrConsole()->PrintInfo("from the child %d", i);
            _exit(console->count.load() == before + 1 ? 0 : 1);
        }
        ASSERT_GT(child, 0);
        if (!EndsWell(child))
            ++hung;
    }
    logging = false;
    logger.join();
    EXPECT_EQ(hung, 0) << "children hung or lost their message";
}

}  // namespace
