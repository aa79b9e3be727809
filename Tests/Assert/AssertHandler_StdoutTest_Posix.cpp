// The text handler with a person at a terminal: a pseudo-terminal on the
// helper program's standard streams, answered as a person types.
#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

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

// A host started in the background of its terminal ("host &"): a read of the
// terminal would stop the whole process, so no answer is asked for.
TEST(AssertHandler_StdoutPosix, AHostInTheBackgroundOfItsTerminalIsNotStopped)
{
    const std::string program = Beside("VexirTestChild");
    int terminal = -1;
    const pid_t session = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (session == 0) {
        // The shell's part: the host in a process group of its own, not the
        // terminal's foreground one.
        const pid_t host = fork();
        if (host == 0) {
            setpgid(0, 0);
            execl(program.c_str(), program.c_str(), "assert", "without-reading", static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(host, host);
        int status = 0;
        waitpid(host, &status, WUNTRACED);
        if (WIFSTOPPED(status)) {
            kill(host, SIGKILL);
            _exit(99);
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 98);
    }
    ASSERT_GT(session, 0);
    std::string shown;
    ReadUntil(terminal, "after the assertion", shown);
    int status = 0;
    waitpid(session, &status, 0);
    close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 99) << "the host was stopped by its terminal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(shown.find("This process runs in the background of its terminal: the answer is Ignore."),
              std::string::npos)
        << shown;
}

// Answers only once released, as a person at a prompt does.
class WaitingAnswer : public std::streambuf {
public:
    std::atomic<bool> released{false};
    std::atomic<bool> asked{false};

protected:
    int_type underflow() override
    {
        asked = true;
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        setg(_aAnswer, _aAnswer, _aAnswer + 2);
        return traits_type::to_int_type(_aAnswer[0]);
    }

private:
    char _aAnswer[2] = {'i', '\n'};
};

// A thread waits for a person's answer while the host forks: the child's own
// assertion must not wait for a prompt that belongs to a thread it has not.
TEST(AssertHandler_StdoutPosix, AChildForkedDuringAPromptCanAssert)
{
    std::ostringstream output;
    WaitingAnswer person;
    std::streambuf* const previousOut = std::cout.rdbuf(output.rdbuf());
    std::streambuf* const previousIn = std::cin.rdbuf(&person);
    std::thread asking([] {
        Vexir::AssertHandler_Stdout handler;
        handler.HandleAssert("0", 1, "Source/Test", "waiting for a person");
    });
    while (!person.asked)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const pid_t child = fork();
    if (child == 0) {
        std::istringstream answers("i\n");
        std::cin.rdbuf(answers.rdbuf());
        Vexir::AssertHandler_Stdout handler;
        _exit(handler.HandleAssert("0", 2, "Source/Test", "in the child") == Vexir::Ignore ? 0 : 1);
    }
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 500 && !ended; ++i) {
        ended = waitpid(child, &status, WNOHANG) == child;
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    person.released = true;
    asking.join();
    std::cout.rdbuf(previousOut);
    std::cin.rdbuf(previousIn);
    EXPECT_TRUE(ended) << "the child waited for its parent's prompt";
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
