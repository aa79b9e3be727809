// The remote console's records, captured byte for byte by a listener of the
// test's own, and the whole road to the real RemoteConsole program.
#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;
using namespace Vexir::Network;
using Console_RemoteTest = VexirTest::ConsoleFixture;

IRemoteConsoleInterface* RemoteOf(IMgrConsole* manager)
{
    return static_cast<IRemoteConsoleInterface*>(
        manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
}

// Listens on 127.0.0.1:7500 and collects the raw bytes of one connection.
class RecordCapture : public NetSocket {
public:
    RecordCapture(SocketHandle socket, MgrSocketBase* manager) : NetSocket(socket, 0, manager, true) {}
    std::string Bytes()
    {
        std::string bytes;
        for (IPacket* packet : _lInList)
            bytes.append(reinterpret_cast<const char*>(packet->GetData()), packet->GetSize());
        return bytes;
    }
};

std::string Frame(const std::string& payload)
{
    BinaryPacket packet(payload.data(), static_cast<std::uint32_t>(payload.size()));
    return std::string(reinterpret_cast<const char*>(packet.GetData()), packet.GetSize());
}

// The records the console should send for a Normal Info message.
std::string ExpectedRecords(const std::string& text)
{
    const std::size_t chunks = text.size() <= 224 ? 1 : text.size() / 224 + 1;
    std::string expected = Frame("2 0 3 " + std::to_string(chunks) + " \r\n");
    const std::string terminated = text + std::string(1, '\0');
    for (std::size_t i = 0; i < chunks; ++i) {
        const std::size_t count = std::min<std::size_t>(224, text.size() - 224 * i) + 1;
        expected += Frame("3 " + std::to_string(count) + " " + terminated.substr(224 * i, count) + " \r\n");
    }
    return expected;
}

TEST_F(Console_RemoteTest, RecordsGoOutByteForByte)
{
    MgrSocketBase server;
    ASSERT_TRUE(server.Init());
    NetListenSocket listener;
    listener.Init(0x7F000001u, 7500);
    ASSERT_EQ(listener.GetPort(), 7500);

    manager->PrintInfo("dropped while not connected");
    IRemoteConsoleInterface* remote = RemoteOf(manager);
    EXPECT_FALSE(remote->Connect("localhost")) << "only dotted addresses";
    EXPECT_FALSE(remote->ReservedQuery());
    ASSERT_TRUE(remote->ConnectLocal());
    unsigned int peer = 0;
    SocketHandle accepted = kInvalidSocket;
    for (int i = 0; i < 500 && accepted == kInvalidSocket; ++i) {
        accepted = listener.AcceptConnection(&peer);
        if (accepted == kInvalidSocket)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_NE(accepted, kInvalidSocket);
    auto* capture = new RecordCapture(accepted, &server);
    server.AddSocket(capture);

    std::string expected;
    for (std::size_t length : {0u, 10u, 224u, 225u, 448u}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        manager->PrintInfo("%s", text.c_str());
        expected += ExpectedRecords(text);
    }
    for (int pass = 0; pass < 500 && capture->Bytes().size() < expected.size(); ++pass)
        server.DoSelect(0, 5000, 1);
    EXPECT_EQ(capture->Bytes(), expected);
    manager->DestroyConsole(IMgrConsole::Remote);
}

// Ten thousand messages of random bytes and UTF-8 text reach the program's log
// whole and in order.
TEST_F(Console_RemoteTest, TheRemoteConsoleProgramLogsEveryMessage)
{
    VexirTest::ScratchDirectory scratch;
    const std::string log = scratch.Path("remote.log");
    VexirTest::ChildResult program;
    std::thread runner([&] { program = VexirTest::RunProgram("RemoteConsole", {"--once", "--wait", "30", "--log", log}); });

    IRemoteConsoleInterface* remote = RemoteOf(manager);
    bool connected = false;
    for (int attempt = 0; attempt < 400 && !connected; ++attempt) {
        connected = remote->ConnectLocal();
        if (!connected)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (!connected) {
        runner.join();  // the program gives up waiting for a client after --wait seconds
        FAIL() << "the RemoteConsole program never listened: " << program.output;
    }

    std::mt19937 random(2026);
    std::string expected;
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x8C\x8D ";
    for (int i = 0; i < 10000; ++i) {
        std::string text;
        const std::size_t length = random() % 1001;
        if (i % 2 == 0) {
            for (std::size_t k = 0; k < length; ++k)
                text += static_cast<char>(1 + random() % 255);
        } else {
            while (text.size() + utf8.size() <= length)
                text += utf8;
        }
        manager->PrintInfo("%s", text.c_str());
        expected += "[I] " + text + "\n";
    }
    manager->DestroyConsole(IMgrConsole::Remote);  // flushes, then closes: the program ends
    runner.join();
    EXPECT_TRUE(program.exited && program.exitCode == 0) << program.output;
    const std::string logged = [&] {
        std::ifstream file(std::filesystem::u8path(log), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }();
    EXPECT_EQ(logged.size(), expected.size());
    EXPECT_TRUE(logged == expected) << "the log differs from what was sent";
}

}  // namespace
