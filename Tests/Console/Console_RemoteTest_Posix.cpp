// The remote console in a host that forks: the child never writes to its
// parent's connection, which stays whole and the parent's.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "ConsoleFixture.h"

namespace {

using namespace Vexir;
using Console_RemotePosix = VexirTest::ConsoleFixture;

int ListenOn7500()
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(7500);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0) {
        close(listener);
        return -1;
    }
    return listener;
}

// Everything the connection brings until its end, or 10 s.
std::string ReadToTheEnd(int connection)
{
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{connection, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = read(connection, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

// Whether the bytes are whole frames, one after another to the end.
bool WholeFrames(const std::string& bytes)
{
    std::size_t at = 0;
    while (at + 4 <= bytes.size()) {
        const std::size_t frame = (std::size_t(std::uint8_t(bytes[at])) << 24) |
                                  (std::size_t(std::uint8_t(bytes[at + 1])) << 16) |
                                  (std::size_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
        if (frame < 4)
            return false;
        at += frame;
    }
    return at == bytes.size();
}

TEST_F(Console_RemotePosix, AForkedChildNeverWritesToItsParentsConnection)
{
    const int listener = ListenOn7500();
    ASSERT_GE(listener, 0) << "port 7500 is taken";
    auto* remote = static_cast<IRemoteConsoleInterface*>(
        manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
    ASSERT_TRUE(remote->ConnectLocal());
    const int connection = accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    manager->PrintInfo("parent before the fork\n");

    const pid_t child = fork();
    if (child == 0) {
        GetMgrConsole()->PrintInfo("child of the fork\n");
        GetMgrConsole()->DestroyConsole(IMgrConsole::Remote);
        std::exit(0);  // the library's teardown runs too
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    manager->PrintInfo("parent after the fork\n");
    manager->DestroyConsole(IMgrConsole::Remote);

    const std::string bytes = ReadToTheEnd(connection);
    close(connection);
    close(listener);
    EXPECT_NE(bytes.find("parent before the fork"), std::string::npos);
    EXPECT_NE(bytes.find("parent after the fork"), std::string::npos);
    EXPECT_EQ(bytes.find("child of the fork"), std::string::npos) << "the child wrote to the parent's connection";
    EXPECT_TRUE(WholeFrames(bytes)) << "the stream is not whole frames";
    EXPECT_EQ(bytes.find("parent before the fork"), bytes.rfind("parent before the fork"))
        << "the parent's message went twice";
}

}  // namespace
