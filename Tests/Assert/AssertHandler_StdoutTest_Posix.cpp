// The text handler with a person at a terminal: a pseudo-terminal on the
// helper program's standard streams, answered as a person types.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>

namespace {

std::string Beside(const std::string& program)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + program;
}

// Reads what the terminal shows until `text` appears or 10 s pass.
bool ReadUntil(int terminal, const std::string& text, std::string& shown)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (shown.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[1024];
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

TEST(AssertHandler_StdoutPosix, AsksAPersonAtATerminal)
{
    const std::string program = Beside("VexirTestChild");
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        execl(program.c_str(), program.c_str(), "assert", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    std::string shown;
    EXPECT_TRUE(ReadUntil(terminal, "Choose [ I | A | B ]: ", shown)) << shown;
    // The rest of the answered line stays for the host, as formatted input leaves it.
    const char typed[] = "x\ni host line\n";
    ASSERT_EQ(write(terminal, typed, sizeof typed - 1), static_cast<ssize_t>(sizeof typed - 1));
    EXPECT_TRUE(ReadUntil(terminal, "host read:  host line", shown)) << shown;
    EXPECT_NE(shown.find("Incorrect input. Try again..."), std::string::npos);
    EXPECT_EQ(shown.find("not a terminal"), std::string::npos);
    close(terminal);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

}  // namespace
