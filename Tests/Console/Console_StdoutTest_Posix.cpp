// Standard output as Linux hosts meet it: a reader that went away.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace {

using namespace Vexir;

// What the child found, as bits of its exit code.
enum : int { kHandlerChanged = 1, kMaskChanged = 2 };

int LogIntoAPipeWithoutReader(bool synced)
{
    if (!synced)
        std::ios::sync_with_stdio(false);
    int ends[2];
    if (pipe(ends) != 0)
        return 100;
    close(ends[0]);
    dup2(ends[1], STDOUT_FILENO);
    struct sigaction before;
    sigaction(SIGPIPE, nullptr, &before);
    sigset_t maskBefore;
    pthread_sigmask(SIG_SETMASK, nullptr, &maskBefore);

    IMgrConsole* consoles = GetMgrConsole();
    consoles->GetConsole(IMgrConsole::Stdout);
    for (int i = 0; i < 100; ++i)
        consoles->PrintInfo("into a pipe nobody reads %d\n", i);
    consoles->BeginBlock(IConsole::Info, "block");
    std::fflush(stdout);

    struct sigaction after;
    sigaction(SIGPIPE, nullptr, &after);
    sigset_t maskAfter;
    pthread_sigmask(SIG_SETMASK, nullptr, &maskAfter);
    int found = 0;
    if (after.sa_handler != before.sa_handler)
        found |= kHandlerChanged;
    if (sigismember(&maskAfter, SIGPIPE) != sigismember(&maskBefore, SIGPIPE))
        found |= kMaskChanged;
    return found;
}

// A host whose standard-output reader went away is not killed by SIGPIPE,
// neither while it logs nor at exit (when the runtime flushes std::cout, which
// after sync_with_stdio(false) has a buffer of its own), and its own SIGPIPE
// disposition and signal mask stay as they were.
TEST(Console_StdoutPosix, AReaderThatWentAwayDoesNotEndTheHost)
{
    for (const bool synced : {true, false}) {
        SCOPED_TRACE(synced ? "synchronised with stdio" : "after sync_with_stdio(false)");
        std::fflush(stdout);
        std::cout.flush();
        const pid_t child = fork();
        if (child == 0)
            std::exit(LogIntoAPipeWithoutReader(synced));
        ASSERT_GT(child, 0);
        int status = 0;
        for (int i = 0; i < 1000 && waitpid(child, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(child, &status, WNOHANG) == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "the child hung";
        }
        ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

}  // namespace
