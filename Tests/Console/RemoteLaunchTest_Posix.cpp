// The launched RemoteConsole program gets nothing of the host's: no
// descriptor beyond /dev/null on its standard streams, a session of its own,
// no blocked or ignored signal.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "ChildProcesses.h"
#include "ConsoleFixture.h"

namespace {

using namespace Vexir;

std::string LinkTarget(const std::string& path)
{
    char target[256];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

// The values of a /proc/ID/status line ("SigBlk:"), as a number.
unsigned long long StatusMask(unsigned long id, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(id) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size(), field) == 0)
            return std::stoull(line.substr(field.size()), nullptr, 16);
    return ~0ull;
}

class RemoteLaunchPosixTest : public VexirTest::ConsoleFixture {
protected:
    void TearDown() override
    {
        for (unsigned long id : VexirTest::ChildProcessesNamed("RemoteConsole"))
            VexirTest::KillProcess(id);
        VexirTest::ConsoleFixture::TearDown();
    }
};

TEST_F(RemoteLaunchPosixTest, TheProgramGetsNothingOfTheHost)
{
    // What a host holds that a child would inherit: a pipe its own parent
    // reads to the end, a listening socket, an ignored and a blocked signal.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&where), &length), 0);
    const std::set<std::string> hosts = {LinkTarget("/proc/self/fd/" + std::to_string(pipeEnds[0])),
                                         LinkTarget("/proc/self/fd/" + std::to_string(listener)),
                                         LinkTarget("/proc/self/fd/0"), LinkTarget("/proc/self/fd/1"),
                                         LinkTarget("/proc/self/fd/2")};
    struct sigaction ignoring {}, previous {};
    ignoring.sa_handler = SIG_IGN;
    sigaction(SIGHUP, &ignoring, &previous);
    sigset_t terminate, mask;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminate, &mask);

    auto* remote = static_cast<IRemoteConsoleInterface*>(
        manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
    const bool launched = remote->LaunchRemoteConsole();
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    sigaction(SIGHUP, &previous, nullptr);
    ASSERT_TRUE(launched);
    const std::vector<unsigned long> programs = VexirTest::ChildProcessesNamed("RemoteConsole");
    ASSERT_EQ(programs.size(), 1u);
    const unsigned long id = programs[0];

    EXPECT_EQ(getsid(static_cast<pid_t>(id)), static_cast<pid_t>(id)) << "a session of its own";
    const std::string descriptors = "/proc/" + std::to_string(id) + "/fd/";
    for (int fd = 0; fd < 3; ++fd)
        EXPECT_EQ(LinkTarget(descriptors + std::to_string(fd)), "/dev/null") << "descriptor " << fd;
    for (int fd = 3; fd < 1024; ++fd) {
        const std::string target = LinkTarget(descriptors + std::to_string(fd));
        EXPECT_TRUE(target.empty() || hosts.count(target) == 0) << "descriptor " << fd << " is the host's " << target;
    }
    EXPECT_EQ(StatusMask(id, "SigBlk:"), 0u) << "a signal is blocked";
    EXPECT_EQ(StatusMask(id, "SigIgn:") & (1ull << (SIGHUP - 1)), 0u) << "SIGHUP is ignored";

    // The host's port is free once the host lets it go.
    close(listener);
    const int again = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(bind(again, reinterpret_cast<sockaddr*>(&where), sizeof where), 0) << "the program holds the port";
    close(again);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

}  // namespace
