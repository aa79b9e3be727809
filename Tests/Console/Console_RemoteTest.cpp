// The remote console's records, captured byte for byte by a listener of the
// test's own, and the whole road to the real RemoteConsole program.
#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>
#include <Vexir/Sync.h>

#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "FullBacklogListener.h"
#include "ScratchDirectory.h"
#include "SocketReset.h"
#include "TimeBound.h"

namespace {

using namespace Vexir;
using namespace Vexir::Network;
using Console_RemoteTest = VexirTest::ConsoleFixture;
using Console_RemoteThreads = VexirTest::ConsoleFixture;

IRemoteConsoleInterface* RemoteOf(IMgrConsole* manager)
{
    return static_cast<IRemoteConsoleInterface*>(
        manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
}

// Listens on 127.0.0.1:7500 and collects the raw bytes of one connection.
class RecordCapture : public NetSocket {
public:
    RecordCapture(SocketHandle socket, MgrSocketBase* manager) : NetSocket(socket, 0, manager, true) {}
    SocketHandle Handle() const { return _hSocket; }
    std::string Bytes()
    {
        std::string bytes;
        for (IPacket* packet : _lInList)
            bytes.append(reinterpret_cast<const char*>(packet->GetData()), packet->GetSize());
        return bytes;
    }
};

// Keeps the socket of a connection the other end closed, and so what it captured.
class KeepingManager : public MgrSocketBase {
public:
    void OnSocketClosing(NetSocket* socket) override { socket->SetState(NetSocket::CloseKeep); }
};

// A connection to 127.0.0.1:7500 accepted by the test and not read from until
// Resume puts it under a manager.
class Receiver {
public:
    explicit Receiver(unsigned int address = 0x7F000001u)
    {
        EXPECT_TRUE(_server.Init());
        _listener.Init(address, 7500);
        EXPECT_EQ(_listener.GetPort(), 7500);
    }

    // The manager's remote console connected here.
    bool Connect(IMgrConsole* manager) { return RemoteOf(manager)->ConnectLocal() && Accept(); }

    bool Accept()
    {
        unsigned int peer = 0;
        for (int i = 0; i < 500 && _hAccepted == kInvalidSocket; ++i) {
            _hAccepted = _listener.AcceptConnection(&peer);
            if (_hAccepted == kInvalidSocket)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return _hAccepted != kInvalidSocket;
    }

    void Resume()
    {
        _pCapture = new RecordCapture(_hAccepted, &_server);
        _server.AddSocket(_pCapture);
    }

    void Pump(int microseconds = 1000) { _server.DoSelect(0, microseconds, 1); }

    // Raw bytes to the console, once reading has resumed.
    void Say(const std::string& bytes)
    {
        TextPacket packet(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        EXPECT_EQ(_pCapture->SendNow(&packet), static_cast<int>(bytes.size()));
    }
    RecordCapture* Capture() { return _pCapture; }

    // Frees a logging call stuck on a receiver that does not read.
    void Abandon()
    {
        if (!_pCapture && _hAccepted != kInvalidSocket) {
            NetSocket closer(_hAccepted, 0, nullptr, true);  // closes it
            _hAccepted = kInvalidSocket;
        }
    }

private:
    KeepingManager _server;
    NetListenSocket _listener;
    SocketHandle _hAccepted = kInvalidSocket;
    RecordCapture* _pCapture = nullptr;
};

// The whole messages a stream of records carries, in order. A connection
// closed in the middle of a packet ends in a cut frame or a message short of
// chunks, which the program drops: neither is a message.
std::vector<std::string> Messages(const std::string& bytes)
{
    std::vector<std::string> messages;
    std::size_t at = 0;
    std::size_t chunksLeft = 0;
    while (at + 4 <= bytes.size()) {
        const std::size_t frame = (std::size_t(std::uint8_t(bytes[at])) << 24) |
                                  (std::size_t(std::uint8_t(bytes[at + 1])) << 16) |
                                  (std::size_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
        if (frame < 4 || at + frame > bytes.size())
            break;
        const std::string record = bytes.substr(at + 4, frame - 4);
        at += frame;
        if (record.compare(0, 2, "2 ") == 0) {
            unsigned kind = 0, level = 0;
            unsigned long chunks = 0;
            std::sscanf(record.c_str(), "2 %u %u %lu", &kind, &level, &chunks);
            chunksLeft = chunks;
            messages.emplace_back();
        } else if (record.compare(0, 2, "3 ") == 0 && chunksLeft > 0 && !messages.empty()) {
            const std::size_t space = record.find(' ', 2);
            const std::size_t count = std::stoul(record.substr(2, space - 2));
            // Each chunk repeats the byte after it: the next chunk's first one
            // or the terminating zero.
            messages.back() += record.substr(space + 1, count - 1);
            --chunksLeft;
        }
    }
    if (chunksLeft > 0)
        messages.pop_back();
    return messages;
}

// What a stream of messages "m000001"... and drop notices adds up to.
struct Tally {
    explicit Tally(const std::vector<std::string>& messages)
    {
        for (const std::string& message : messages) {
            unsigned long long count = 0;
            int id = -1;
            if (std::sscanf(message.c_str(), "Remote console: %llu messages were dropped", &count) == 1) {
                dropped += static_cast<long long>(count);
            } else if (std::sscanf(message.c_str(), "m%d", &id) == 1) {
                ordered = ordered && id > last;
                last = id;
                ++received;
            }
        }
    }
    long long received = 0, dropped = 0;
    int last = -1;
    bool ordered = true;
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

std::uintmax_t SizeOf(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(path), error);
    return error ? 0 : size;
}

void WaitForSize(const std::string& path, std::uintmax_t size)
{
    for (int i = 0; i < 2000 && SizeOf(path) < size; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Ten thousand messages of random printable text, tabs and UTF-8 reach the
// program's log whole and in order.
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
    // Every line names its client, which the program's listening socket
    // precedes; a line says when it comes and when it goes.
    std::string expected = "[1 127.0.0.1] connected\n";
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x8C\x8D ";
    for (int i = 0; i < 10000; ++i) {
        std::string text;
        const std::size_t length = random() % 1001;
        if (i % 2 == 0) {
            for (std::size_t k = 0; k < length; ++k)
                text += static_cast<char>(random() % 96 == 0 ? '\t' : 0x20 + random() % 95);
        } else {
            while (text.size() + utf8.size() <= length)
                text += utf8;
        }
        manager->PrintInfo("%s", text.c_str());
        expected += "[1 127.0.0.1] [I] " + text + "\n";
        // The console drops what does not fit its queue rather than wait, so a
        // producer this fast lets a slow program (sanitizers, Wine) keep up.
        if (i % 250 == 249)
            WaitForSize(log, expected.size());
    }
    manager->DestroyConsole(IMgrConsole::Remote);  // flushes, then closes: the program ends
    runner.join();
    expected += "[1 127.0.0.1] left\n";
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

// Messages of about 1 KB numbered "m000000" on; the slowest call, in ms.
double Flood(IMgrConsole* manager, int count)
{
    const std::string padding(1000, 'x');
    double slowest = 0;
    for (int i = 0; i < count; ++i) {
        const ManualTimer call;
        manager->PrintInfo("m%06d %s\n", i, padding.c_str());
        slowest = std::max(slowest, call.Elapsed());
    }
    return slowest;
}

// A call stuck on a receiver that does not read is freed by closing the
// receiver's end, and the hang becomes a failure.
template <typename Body>
bool ReturnsWithin(int seconds, Receiver& receiver, Body body)
{
    return VexirTest::ReturnsWithin(seconds * 1000, body, [&] { receiver.Abandon(); });
}

// A receiver that accepts and stops reading costs the host nothing but the
// messages that did not fit: every call returns, the dropped ones are counted
// and reported once the receiver reads again, and the rest arrive in order.
TEST_F(Console_RemoteTest, AReceiverThatStopsReadingNeverBlocksTheHost)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));

    int logged = 20000;
    double slowest = 0;
    ASSERT_TRUE(ReturnsWithin(60, receiver, [&] { slowest = Flood(manager, logged); }))
        << "logging to a receiver that does not read did not return";
    EXPECT_LT(slowest, 2000.0) << "one logging call waited for the receiver";

    receiver.Resume();
    int notices = 0;
    for (int pass = 0; pass < 20000 && notices == 0; ++pass) {
        manager->PrintInfo("m%06d tick\n", logged++);
        receiver.Pump();
        for (const std::string& message : Messages(receiver.Capture()->Bytes()))
            notices += message.compare(0, 16, "Remote console: ") == 0;
    }
    const int total = logged + 100;
    for (; logged < total; ++logged)
        manager->PrintInfo("m%06d final\n", logged);
    char last[16];
    std::snprintf(last, sizeof last, "m%06d", total - 1);
    for (int pass = 0; pass < 5000 && Messages(receiver.Capture()->Bytes()).back().compare(0, 7, last) != 0; ++pass)
        receiver.Pump();

    const Tally tally(Messages(receiver.Capture()->Bytes()));
    EXPECT_GE(notices, 1) << "the drops were never reported";
    EXPECT_GT(tally.dropped, 0);
    EXPECT_TRUE(tally.ordered);
    EXPECT_EQ(tally.last, total - 1) << "the last message did not arrive";
    EXPECT_EQ(tally.received + tally.dropped, total) << "messages were lost without being counted";
    manager->DestroyConsole(IMgrConsole::Remote);
}

// A receiver takes 100 messages and goes away: it closes, or it dies with one
// more message sent and unread (its connection reset, those bytes thrown
// away, which nobody can count). The host logs 200 more without waiting and
// notices the loss at its next message; the next receiver is first told
// exactly how many were dropped meanwhile.
void ReceiverGoesAndComesBack(IMgrConsole* manager, bool reset)
{
    std::vector<std::string> messages;
    int logged = 0;
    {
        Receiver first;
        ASSERT_TRUE(first.Connect(manager));
        first.Resume();
        for (; logged < 100; ++logged)
            manager->PrintInfo("m%06d", logged);
        for (int pass = 0; pass < 5000 && Messages(first.Capture()->Bytes()).size() < 100; ++pass)
            first.Pump();
        messages = Messages(first.Capture()->Bytes());
        if (reset) {
            manager->PrintInfo("m%06d in flight %s", logged++, std::string(3000, 'f').c_str());
            VexirTest::ResetWhenClosed(first.Capture()->Handle());
        }
    }
    if (reset)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the reset arrives
    const int dropped = 301 - logged;
    const ManualTimer away;
    for (; logged < 301; ++logged)
        manager->PrintInfo("m%06d", logged);
    EXPECT_LT(away.Elapsed(), 500.0) << "logging waited for a receiver that had gone";

    Receiver second;
    ASSERT_TRUE(second.Connect(manager)) << "an explicit Connect resumes";
    second.Resume();
    for (; logged < 311; ++logged)
        manager->PrintInfo("m%06d", logged);
    for (int pass = 0; pass < 5000 && Messages(second.Capture()->Bytes()).size() < 11; ++pass)
        second.Pump();
    const std::vector<std::string> later = Messages(second.Capture()->Bytes());
    ASSERT_EQ(later.size(), 11u);
    EXPECT_EQ(later.front(), "Remote console: " + std::to_string(dropped) +
                                 " messages were dropped while the receiver was not taking them\n");
    messages.insert(messages.end(), later.begin(), later.end());
    const Tally tally(messages);
    EXPECT_TRUE(tally.ordered);
    EXPECT_EQ(tally.last, logged - 1);
    EXPECT_EQ(tally.received + tally.dropped, logged - (reset ? 1 : 0))
        << "only a message in flight may go uncounted";
    manager->DestroyConsole(IMgrConsole::Remote);
}

TEST_F(Console_RemoteTest, AReceiverThatComesBackIsToldWhatWasLost) { ReceiverGoesAndComesBack(manager, false); }

TEST_F(Console_RemoteTest, AReceiverResetWithAMessageInFlightCostsOnlyThatMessage)
{
    ReceiverGoesAndComesBack(manager, true);
}

// Removing every console without destroying the host's still deletes the
// built-in ones, which nobody else owns: the connection closes.
TEST_F(Console_RemoteTest, RemovingAllConsolesClosesTheConnection)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    receiver.Resume();
    manager->RemoveAllConsoles(false);
    for (int pass = 0; pass < 2000 && receiver.Capture()->GetCloseCause() == NetSocket::NotClosing; ++pass)
        receiver.Pump();
    EXPECT_EQ(receiver.Capture()->GetCloseCause(), NetSocket::PeerClosed);
}

// The receiving program takes messages of up to 1 MiB; a longer one is cut,
// never inside a character, and says so.
TEST_F(Console_RemoteTest, AMessageOverOneMebibyteIsCutBetweenCharacters)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    receiver.Resume();
    const std::string mark = " [cut: the message was longer than 1 MiB]";
    const std::size_t room = (1u << 20) - mark.size();
    // A two-byte character whose second byte would be the first one cut.
    const std::string text = std::string(room - 1, 'a') + "\xC3\xBC" + std::string(100, 'b');
    manager->PrintInfo("%s", text.c_str());
    manager->PrintInfo("next");
    for (int pass = 0; pass < 20000 && Messages(receiver.Capture()->Bytes()).size() < 2; ++pass)
        receiver.Pump();
    const std::vector<std::string> messages = Messages(receiver.Capture()->Bytes());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0] == std::string(room - 1, 'a') + mark) << messages[0].size() << " bytes";
    EXPECT_EQ(messages[1], "next");
    manager->DestroyConsole(IMgrConsole::Remote);
}

// Destroying the console first sends what it still holds: a receiver that
// starts reading only while the console is being destroyed gets every message.
TEST_F(Console_RemoteTest, MessagesStillQueuedAtDestructionArrive)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    const int count = 3000;
    const std::string padding(1000, 'q');
    for (int i = 0; i < count; ++i)
        manager->PrintInfo("m%06d %s", i, padding.c_str());
    std::thread reader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        receiver.Resume();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (int pass = 1; std::chrono::steady_clock::now() < deadline; ++pass) {
            receiver.Pump();
            if (pass % 200 == 0 && Messages(receiver.Capture()->Bytes()).size() >= static_cast<std::size_t>(count))
                break;
        }
    });
    manager->DestroyConsole(IMgrConsole::Remote);
    reader.join();
    const Tally tally(Messages(receiver.Capture()->Bytes()));
    EXPECT_EQ(tally.received, count);
    EXPECT_EQ(tally.dropped, 0);
    EXPECT_TRUE(tally.ordered);
}

// Destruction is what the library's unload does to the console, so this is
// also how long a process logging to a stuck receiver takes to exit.
TEST_F(Console_RemoteTest, DisconnectingFromAStuckReceiverTakesAtMostTheFlushTime)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    double closing = 0;
    ASSERT_TRUE(ReturnsWithin(60, receiver, [&] {
        Flood(manager, 20000);
        const ManualTimer timer;
        manager->DestroyConsole(IMgrConsole::Remote);
        closing = timer.Elapsed();
    })) << "logging to a receiver that does not read did not return";
    EXPECT_LT(closing, 5000.0);
}

// The program sends nothing; a peer that talks all the same (frames too long,
// too short, bytes that frame nothing) is not listened to and keeps getting
// the messages.
TEST_F(Console_RemoteTest, APeerThatTalksBackIsNotListenedTo)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    receiver.Resume();
    manager->PrintInfo("before");
    receiver.Say(std::string("\0\0\1\x2C", 4) + std::string(296, 'x'));  // a 300-byte frame
    receiver.Say(std::string("\0\0\0\1", 4));                           // a 1-byte frame
    receiver.Say(std::string(200000, '\xAB'));
    for (int i = 0; i < 50; ++i) {
        manager->PrintInfo("after %d", i);
        receiver.Pump();
    }
    const auto arrived = [&] {
        const std::vector<std::string> messages = Messages(receiver.Capture()->Bytes());
        return !messages.empty() && messages.back() == "after 49";
    };
    for (int pass = 0; pass < 2000 && !arrived(); ++pass)
        receiver.Pump();
    EXPECT_TRUE(arrived()) << "the console stopped sending after its peer talked";
    EXPECT_EQ(Messages(receiver.Capture()->Bytes()).size(), 51u);
    manager->DestroyConsole(IMgrConsole::Remote);
}

// A listener on the port whose queue is full (any local process can make
// one) answers no handshake: ConnectLocal gives up at the bound.
TEST_F(Console_RemoteTest, ConnectLocalGivesUpOnAListenerThatNeverAnswers)
{
    VexirTest::FullBacklogListener squatter(0x7F000001u, 7500);
    ASSERT_TRUE(squatter.Full()) << "the listener's queue could not be filled";
    bool connected = true;
    double waited = 0;
    const bool returned = VexirTest::ReturnsWithin(
        NetSocket::kConnectMilliseconds + 10000,
        [&] {
            const ManualTimer timer;
            connected = RemoteOf(manager)->ConnectLocal();
            waited = timer.Elapsed();
        },
        [&] { squatter.Close(); });
    ASSERT_TRUE(returned) << "ConnectLocal waited past its bound";
    EXPECT_FALSE(connected);
    EXPECT_LT(waited, NetSocket::kConnectMilliseconds + 1000.0);
    manager->PrintInfo("dropped, with nobody to send it to");
}

// A receiver that shuts down its sending side (a relay, a listener whose input
// ended) still reads: it gets every message.
TEST_F(Console_RemoteTest, AReceiverThatStopsSendingStillGetsEveryMessage)
{
    Receiver receiver;
    ASSERT_TRUE(receiver.Connect(manager));
    receiver.Resume();
    VexirTest::StopSending(receiver.Capture()->Handle());
    for (int i = 0; i < 100; ++i) {
        manager->PrintInfo("m%06d", i);
        receiver.Pump();
    }
    for (int pass = 0; pass < 5000 && Messages(receiver.Capture()->Bytes()).size() < 100; ++pass)
        receiver.Pump();
    const Tally tally(Messages(receiver.Capture()->Bytes()));
    EXPECT_EQ(tally.received, 100);
    EXPECT_EQ(tally.dropped, 0);
    EXPECT_EQ(tally.last, 99);
    manager->DestroyConsole(IMgrConsole::Remote);
}

// Connecting to another receiver while the first one holds unread messages:
// what it did not get is counted, and the new receiver is told first.
TEST_F(Console_RemoteTest, ConnectingElsewhereCountsWhatTheOldReceiverDidNotGet)
{
    Receiver first;
    ASSERT_TRUE(first.Connect(manager));
    int logged = 20000;
    ASSERT_TRUE(ReturnsWithin(60, first, [&] { Flood(manager, logged); }))
        << "logging to a receiver that does not read did not return";
    Receiver second(0x7F000002u);
    ASSERT_TRUE(RemoteOf(manager)->Connect("127.0.0.2") && second.Accept());
    first.Resume();
    second.Resume();
    const int total = logged + 10;
    for (; logged < total; ++logged)
        manager->PrintInfo("m%06d after", logged);
    const auto arrived = [&] {
        const std::vector<std::string> later = Messages(second.Capture()->Bytes());
        return later.size() >= 11 && first.Capture()->GetCloseCause() != NetSocket::NotClosing;
    };
    for (int pass = 0; pass < 20000 && !arrived(); ++pass) {
        first.Pump();
        second.Pump();
    }
    ASSERT_TRUE(arrived());
    const std::vector<std::string> later = Messages(second.Capture()->Bytes());
    EXPECT_EQ(later.front().compare(0, 16, "Remote console: "), 0) << "the new receiver is told first: " << later.front();
    std::vector<std::string> messages = Messages(first.Capture()->Bytes());
    messages.insert(messages.end(), later.begin(), later.end());
    const Tally tally(messages);
    EXPECT_GT(tally.dropped, 0);
    EXPECT_EQ(tally.last, total - 1);
    EXPECT_EQ(tally.received + tally.dropped, total) << "messages were lost without being counted";
    manager->DestroyConsole(IMgrConsole::Remote);
}

// A receiver on port 7500 that takes every connection and reads everything,
// on a thread of its own, keeping what each connection carried.
class DrainingServer : public MgrSocketBase {
public:
    DrainingServer()
    {
        EXPECT_TRUE(Init());
        auto* listener = new Listener(*this);
        listener->Init(0x7F000001u, 7500);
        EXPECT_EQ(listener->GetPort(), 7500);
        listener->SetMgrSocketBase(this);
        AddSocket(listener);
        _thread = std::thread([this] {
            while (!_bStop)
                DoSelect(0, 1000, 1);
        });
    }
    ~DrainingServer() override { Stop(); }
    void Stop()
    {
        _bStop = true;
        if (_thread.joinable())
            _thread.join();
    }
    // Once stopped: the messages of every connection.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> all;
        for (const std::string& bytes : _lClosed)
            for (std::string& message : ::Messages(bytes))
                all.push_back(std::move(message));
        return all;
    }
    void OnSocketClosing(NetSocket* socket) override
    {
        if (auto* capture = dynamic_cast<RecordCapture*>(socket))
            _lClosed.push_back(capture->Bytes());
    }
    // Moves the bytes of the connections still open to the closed ones.
    void CollectOpen()
    {
        for (NetSocket* socket : _lSockets)
            if (auto* capture = dynamic_cast<RecordCapture*>(socket))
                _lClosed.push_back(capture->Bytes());
    }

private:
    class Listener : public NetListenSocket {
    public:
        explicit Listener(DrainingServer& server) : _server(server) {}
        void HandleInput() override
        {
            const SocketHandle accepted = AcceptConnection(nullptr);
            if (accepted != kInvalidSocket)
                _server.AddSocket(new RecordCapture(accepted, &_server));
        }

    private:
        DrainingServer& _server;
    };

    std::atomic<bool> _bStop{false};
    std::thread _thread;
    std::vector<std::string> _lClosed;
};

// A thread logs while another reconnects 200 times: no message is lost
// uncounted, and nothing is used after it is gone (the sanitizers watch).
TEST_F(Console_RemoteThreads, ReconnectingWhileAnotherThreadLogs)
{
    DrainingServer server;
    IRemoteConsoleInterface* remote = RemoteOf(manager);
    ASSERT_TRUE(remote->ConnectLocal());
    std::atomic<bool> stop{false};
    std::atomic<int> logged{0};
    std::thread logger([&] {
        while (!stop)
            manager->PrintInfo("m%06d", logged++);
    });
    int reconnected = 0;
    for (int i = 0; i < 200; ++i)
        reconnected += remote->ConnectLocal() ? 1 : 0;
    stop = true;
    logger.join();
    // One more reconnect counts what the last connection did not send in the
    // flush time, and the message after it tells the count: a console that is
    // destroyed has nobody left to tell.
    EXPECT_TRUE(remote->ConnectLocal());
    manager->PrintInfo("the end");
    manager->DestroyConsole(IMgrConsole::Remote);
    // The server has read every connection to its end (or 30 s have gone).
    for (int i = 0; i < 3000 && server.GetSocketCount() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    server.Stop();
    server.CollectOpen();
    EXPECT_EQ(reconnected, 200);
    std::vector<std::string> messages = server.Messages();
    const Tally tally(messages);
    EXPECT_EQ(tally.received + tally.dropped, logged.load()) << "messages were lost without being counted";
}

}  // namespace
