#include <Vexir/Network/Sockets.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FullBacklogListener.h"
#include "SocketPair.h"
#include "SocketReset.h"
#include "StandardErrorCapture.h"
#include "StreamCapture.h"
#include "TestAssertHandler.h"
#include "TimeBound.h"

namespace {

using namespace Vexir::Network;
using VexirTest::SocketPair;

std::string Frame(const std::string& payload)
{
    BinaryPacket packet(payload.data(), static_cast<std::uint32_t>(payload.size()));
    return std::string(reinterpret_cast<const char*>(packet.GetData()), packet.GetSize());
}

TEST(Sockets, AManagerWithNoSocketsReturnsAtOnce)
{
    MgrSocketBase manager;
    ASSERT_TRUE(manager.Init());
    const auto start = std::chrono::steady_clock::now();
    manager.DoSelect(2, 0, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    TextPacket* kept = new TextPacket("x", 1);
    EXPECT_FALSE(manager.Send(42, kept)) << "an unknown id leaves the packet with the caller";
    delete kept;
}

TEST(Sockets, BinaryFramesAreCutByteByByteAndManyAtOnce)
{
    SocketPair pair(true);
    const std::string first = Frame("first"), second = Frame(std::string(252, 'x')), third = Frame("");
    for (char byte : first) {
        pair.Deliver(std::string(1, byte));
        pair.manager.DoSelect(0, 20000, 1);
    }
    ASSERT_TRUE(pair.PumpUntil([&] { return !pair.socket->Received().empty(); }));
    EXPECT_EQ(pair.socket->Next(), first) << "a frame keeps its prefix";
    pair.Deliver(second + third + first);
    ASSERT_TRUE(pair.PumpUntil([&] { return pair.socket->Received().size() == 3; }));
    EXPECT_EQ(pair.socket->Next(), second);
    EXPECT_EQ(pair.socket->Next(), third);
    EXPECT_EQ(pair.socket->Next(), first);
    EXPECT_EQ(pair.manager.GetBytesReceived(), 2 * first.size() + second.size() + third.size());
}

TEST(Sockets, FrameLengthsOutsideFourTo256CloseTheSocket)
{
    // Judged on the four length bytes alone: the rest of the frame never comes.
    for (std::uint32_t length : {3u, 257u, 0u, 0x10000000u}) {
        SocketPair pair(true);
        const char prefix[4] = {static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                                static_cast<char>(length >> 8), static_cast<char>(length)};
        pair.Deliver(std::string(prefix, 4));
        ASSERT_TRUE(pair.PumpUntil([&] { return !pair.Alive(); })) << "length " << length;
        EXPECT_EQ(pair.manager.causes, std::vector<NetSocket::CloseCause>{NetSocket::FrameRefused});
    }
    SocketPair largest(true);
    largest.Deliver(Frame(std::string(252, 'y')));
    ASSERT_TRUE(largest.PumpUntil([&] { return !largest.socket->Received().empty(); }));
    EXPECT_EQ(largest.socket->Next().size(), 256u);
    EXPECT_TRUE(largest.Alive());
}

TEST(Sockets, TextModeCutsAtCarriageReturnsAndWritesNothingExtra)
{
    SocketPair pair(false);
    pair.Deliver("ok\r\nnext\r");
    ASSERT_TRUE(pair.PumpUntil([&] { return pair.socket->Received().size() == 2; }));
    EXPECT_EQ(pair.socket->Next(), "ok\r");
    EXPECT_EQ(pair.socket->Next(), "\nnext\r") << "the line feed after a carriage return is kept, not zeroed";
    pair.Deliver("no end yet");
    pair.PumpUntil([&] { return pair.socket->Held() == 10; });
    EXPECT_TRUE(pair.socket->Received().empty());
    pair.Deliver("\r");
    ASSERT_TRUE(pair.PumpUntil([&] { return !pair.socket->Received().empty(); }));
    EXPECT_EQ(pair.socket->Next(), "no end yet\r");
}

TEST(Sockets, ALineLongerThanTheBufferClosesTheSocket)
{
    SocketPair pair(false);
    const std::string chunk(65536, 'a');
    for (std::uint32_t i = 1; i <= 3 && pair.Alive(); ++i) {
        pair.Deliver(chunk);
        pair.PumpUntil([&] { return !pair.Alive() || pair.socket->Held() >= std::min(i * 65536u, 131072u); });
    }
    EXPECT_FALSE(pair.Alive());
    EXPECT_EQ(pair.manager.causes, std::vector<NetSocket::CloseCause>{NetSocket::LineTooLong});
}

TEST(Sockets, APeerThatClosesIsClosedHereToo)
{
    SocketPair pair(true);
    pair.peer->CloseConnection();
    EXPECT_TRUE(pair.PumpUntil([&] { return !pair.Alive(); }));
    EXPECT_EQ(pair.manager.causes, std::vector<NetSocket::CloseCause>{NetSocket::PeerClosed});
}

// A peer that resets the connection halfway through a frame or line: what it
// had sent whole arrives, the half never becomes a packet, the socket closes,
// and no pass waits for the rest.
TEST(Sockets, APeerResetInTheMiddleOfAFrameClosesTheSocket)
{
    for (bool binary : {true, false}) {
        SocketPair pair(binary);
        pair.manager.keep = true;
        pair.Deliver(binary ? Frame("whole") + Frame("half of this").substr(0, 9) : "whole\rhalf of th");
        ASSERT_TRUE(pair.PumpUntil([&] { return pair.socket->Received().size() == 1; }));
        VexirTest::ResetWhenClosed(pair.peer->Handle());
        pair.peer->CloseConnection();
        VexirTest::StreamCapture output;
        VexirTest::StandardErrorCapture errors;
        EXPECT_TRUE(pair.PumpUntil([&] { return pair.manager.closings == 1; })) << "binary " << binary;
        EXPECT_EQ(pair.socket->Received().size(), 1u);
        EXPECT_EQ(pair.socket->Next(), binary ? Frame("whole") : "whole\r");
        ASSERT_EQ(pair.manager.causes.size(), 1u);
        const NetSocket::CloseCause cause = pair.manager.causes[0];
        EXPECT_TRUE(cause == NetSocket::ReceiveFailed || cause == NetSocket::PeerClosed) << cause;
        // The diagnostic goes to standard error, with a text of its own.
        if (cause == NetSocket::ReceiveFailed) {
            EXPECT_EQ(errors.Text(), "SOCKET error: The connection was reset by the other end.\n");
        }
        EXPECT_EQ(output.Output(), "");
    }
}

// More than the connection can take at once: each packet leaves in pieces as
// the other end drains, and is deleted after its last byte.
TEST(Sockets, LargePacketsLeaveInSeveralPasses)
{
    SocketPair pair(true);  // the accepted socket is non-blocking, as its listener
    const int packets = 40;
    const std::uint32_t size = 100000 - 4;
    for (int i = 0; i < packets; ++i) {
        auto* packet = new BinaryPacket(size);
        for (std::uint32_t offset = 0; offset < size; offset += 4)
            packet->MemCopy("abc\r", std::min<std::uint32_t>(4, size - offset), static_cast<std::int32_t>(offset));
        ASSERT_TRUE(pair.manager.Send(pair.id, packet));
    }
    pair.manager.DoSelect(0, 1000, 0);
    EXPECT_TRUE(pair.socket->HasOutput()) << "the first pass could not send it all";
    const unsigned int total = 100000u * packets;
    for (int pass = 0; pass < 20000 && pair.peerManager.GetBytesReceived() < total; ++pass) {
        if (pair.socket->HasOutput())
            pair.manager.DoSelect(0, 0, 0);
        pair.peerManager.DoSelect(0, 1000, 1);
        for (IPacket* received : pair.peer->Received())
            delete received;
        pair.peer->Received().clear();
    }
    EXPECT_FALSE(pair.socket->HasOutput());
    EXPECT_EQ(pair.manager.GetBytesSent(), total);
    EXPECT_EQ(pair.peerManager.GetBytesReceived(), total);
}

TEST(Sockets, TimeOutsFireOnceAndQueueingClearsThem)
{
    SocketPair pair(true);
    pair.socket->SetTimeOut(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    pair.manager.DoSelect(0, 1000, 1);
    pair.manager.DoSelect(0, 1000, 1);
    EXPECT_EQ(pair.socket->timeOuts, 1);
    pair.socket->SetTimeOut(1);
    pair.socket->QueueSend(new BinaryPacket("q", 1), true);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    pair.manager.DoSelect(0, 1000, 1);
    EXPECT_EQ(pair.socket->timeOuts, 1);
}

TEST(Sockets, ClosingCanKeepTheObject)
{
    SocketPair pair(true);
    pair.manager.keep = true;
    pair.socket->HandleException();
    pair.manager.DoSelect(0, 1000, 1);
    ASSERT_TRUE(pair.Alive());
    EXPECT_EQ(pair.socket->GetState(), NetSocket::ClosedKept);
    pair.manager.DoSelect(0, 1000, 1);
    EXPECT_EQ(pair.manager.closings, 1) << "a closed socket takes no further part";
}

TEST(Sockets, AListeningSocketUnderAManagerFailsItsInheritedInput)
{
    VexirTest::ClosingManager manager;
    ASSERT_TRUE(manager.Init());
    auto* listener = new NetListenSocket();
    listener->Init(0x7F000001u, 0);
    listener->SetMgrSocketBase(&manager);
    manager.AddSocket(listener);
    NetSocket caller;
    ASSERT_TRUE(caller.Connect(0x7F000001u, listener->GetPort(), 0));
    VexirTest::StreamCapture output;
    VexirTest::StandardErrorCapture errors;
    for (int pass = 0; pass < 200 && manager.GetSocketCount() == 1; ++pass)
        manager.DoSelect(0, 5000, 1);
    EXPECT_EQ(manager.GetSocketCount(), 0u);
    EXPECT_EQ(manager.causes, std::vector<NetSocket::CloseCause>{NetSocket::ReceiveFailed});
    EXPECT_EQ(errors.Text(), "SOCKET error: Unknown.\n");
    EXPECT_EQ(output.Output(), "") << "diagnostics stay off standard output";
}

// A listener whose queue is full never answers the handshake: Connect gives
// up at its bound rather than after the system's two minutes of retries.
TEST(Sockets, AConnectNobodyAnswersEndsAtItsBound)
{
    VexirTest::FullBacklogListener squatter(0x7F000001u, 0);
    ASSERT_TRUE(squatter.Full()) << "the listener's queue could not be filled";
    NetSocket socket;
    bool connected = true;
    int error = 0;
    double waited = 0;
    const bool returned = VexirTest::ReturnsWithin(
        NetSocket::kConnectMilliseconds + 10000,
        [&] {
            const auto start = std::chrono::steady_clock::now();
            connected = socket.Connect(0x7F000001u, squatter.Port(), 0);
            error = GetLastSocketError();
            waited = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        },
        [&] { squatter.Close(); });
    ASSERT_TRUE(returned) << "Connect waited past its bound";
    EXPECT_FALSE(connected);
    EXPECT_EQ(error, 10060) << "timed out";
    EXPECT_GE(waited, NetSocket::kConnectMilliseconds - 50.0) << "it was refused instead of waiting";
    EXPECT_LT(waited, NetSocket::kConnectMilliseconds + 1000.0);
}

TEST(Sockets, AFailedListenSaysWhy)
{
    MgrSocketBase library;
    ASSERT_TRUE(library.Init());
    NetListenSocket first;
    first.Init(0x7F000001u, 0);
    ASSERT_NE(first.GetPort(), 0);
    VexirTest::TestAssertHandler handler;
    NetListenSocket second;
    second.Init(0x7F000001u, first.GetPort());
    EXPECT_EQ(second.GetPort(), 0);
    EXPECT_EQ(GetLastSocketError(), 10048) << "the address is in use";
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_EQ(handler.reports[0].message, "Failed to bind socket to port");
}

// Select reports a socket only for the sets it was put in, so a pass that
// neither reads nor sends does not return early for a connection that was
// reset: it waits out its time limit, and the socket is marked by the next
// pass that reads.
TEST(Sockets, APassThatDoesNotReadWaitsOutItsLimitOnAResetConnection)
{
    SocketPair pair(true);
    VexirTest::ResetWhenClosed(pair.peer->Handle());
    pair.peer->CloseConnection();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the reset arrives
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < 5; ++pass)
        pair.manager.DoSelect(0, 40000, 0);
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_GE(spent, std::chrono::milliseconds(190)) << "the passes returned at once for nothing";
    EXPECT_EQ(pair.socket->GetState(), NetSocket::Open);
    EXPECT_TRUE(pair.PumpUntil([&] { return !pair.Alive(); })) << "a pass that reads marks it";
}

// One thread runs the passes while another sends to the sockets, removes
// them one by one and shuts the manager down.
TEST(SocketThreads, SendRemoveAndShutdownFromAnotherThreadWhilePassesRun)
{
    const int kClients = 8, kPackets = 100;
    MgrSocketBase manager, peers;
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(peers.Init());
    NetListenSocket listener;
    listener.Init(0x7F000001u, 0);
    ASSERT_NE(listener.GetPort(), 0);
    std::vector<VexirTest::RecordingSocket*> sockets;
    std::vector<int> ids;
    for (int i = 0; i < kClients; ++i) {
        auto* caller = new VexirTest::RecordingSocket();
        caller->SetBinaryMode(true);
        caller->SetMgrSocketBase(&peers);
        ASSERT_TRUE(caller->Connect(0x7F000001u, listener.GetPort(), 0));
        peers.AddSocket(caller);
        unsigned int address = 0;
        SocketHandle accepted = kInvalidSocket;
        for (int attempt = 0; attempt < 500 && accepted == kInvalidSocket; ++attempt) {
            accepted = listener.AcceptConnection(&address);
            if (accepted == kInvalidSocket)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_NE(accepted, kInvalidSocket);
        sockets.push_back(new VexirTest::RecordingSocket(accepted, address, &manager, true));
        ids.push_back(manager.AddSocket(sockets.back()));
    }

    std::atomic<bool> stop{false};
    std::thread driver([&] {
        while (!stop)
            manager.DoSelect(0, 1000, 1);
    });
    const auto sendToAll = [&] {
        for (int id : ids) {
            auto* packet = new BinaryPacket("abc", 3);
            if (!manager.Send(id, packet))
                delete packet;  // removed already: the packet stays with the caller
        }
    };
    for (int round = 0; round < kPackets; ++round)
        sendToAll();
    const unsigned int expected = 7u * kPackets * kClients;
    for (int pass = 0; pass < 5000 && peers.GetBytesReceived() < expected; ++pass)
        peers.DoSelect(0, 1000, 1);
    EXPECT_EQ(peers.GetBytesReceived(), expected);
    for (VexirTest::RecordingSocket* socket : sockets) {
        manager.RemoveSocket(socket);
        sendToAll();
    }
    for (int round = 0; round < 20; ++round)
        sendToAll();
    manager.Shutdown();
    stop = true;
    driver.join();
    EXPECT_EQ(manager.GetSocketCount(), 0u);
}

TEST(Sockets, SubnetsAndNames)
{
    MgrSocketBase manager;
    EXPECT_FALSE(manager.IsInternal(0x0A010203));
    manager.SetSubnet(0x0A000000, 0xFF000000);
    EXPECT_TRUE(manager.IsInternal(0x0A010203));
    EXPECT_FALSE(manager.IsInternal(0x0B010203));
    ASSERT_TRUE(manager.Init());
    EXPECT_EQ(manager.GetHostByName("127.0.0.1"), 0x7F000001u);
    VexirTest::TestAssertHandler handler;
    EXPECT_EQ(manager.GetHostByName("no-such-host.invalid"), 0u);
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_EQ(handler.reports[0].message, "Error with GetHostByName");
}

// One reading on every platform: the four-part decimal form and nothing else.
TEST(Sockets, DottedAddressesAreReadStrictly)
{
    EXPECT_EQ(ParseIPv4Address("10.1.2.3"), 0x0A010203u);
    EXPECT_EQ(ParseIPv4Address("0.0.0.0"), 0u);
    EXPECT_EQ(ParseIPv4Address("192.168.100.254"), 0xC0A864FEu);
    for (const char* refused : {"localhost", "127.1", "127.0.1", "0x7f.0.0.1", "0x7F000001", "2130706433",
                                "010.0.0.1", "127.0.0.01", "256.0.0.1", "1.2.3.4.", ".1.2.3.4", "1.2.3.4.5",
                                "1..2.3", " 1.2.3.4", "1.2.3.4 ", "+1.2.3.4", "1.2.3.-4", "1.2.3.1000", ""})
        EXPECT_EQ(ParseIPv4Address(refused), 0xFFFFFFFFu) << '"' << refused << '"';
}

TEST(Sockets, PeakCountAndIdsGrow)
{
    MgrSocketBase manager;
    ASSERT_TRUE(manager.Init());
    auto* first = new NetSocket();
    auto* second = new NetSocket();
    EXPECT_EQ(manager.AddSocket(first), 0);
    EXPECT_EQ(manager.AddSocket(second), 1);
    manager.RemoveSocket(first);
    EXPECT_EQ(manager.GetSocketCount(), 1u);
    EXPECT_EQ(manager.GetPeakSocketCount(), 2u);
    EXPECT_FALSE(manager.Send(0, nullptr));
}

// Accepts every caller into the listener's own manager.
class AcceptingListener : public NetListenSocket {
public:
    void HandleInput() override
    {
        unsigned int peer = 0;
        const SocketHandle accepted = AcceptConnection(&peer);
        if (accepted == kInvalidSocket)
            return;
        auto* client = new NetSocket(accepted, peer, _pManager, true);
        _pManager->AddSocket(client);
        clients.push_back(client);
    }
    std::vector<NetSocket*> clients;
};

// Forgets the clients it closes.
class BroadcastServer : public MgrSocketBase {
public:
    void OnSocketClosing(NetSocket* socket) override
    {
        if (listener)
            listener->clients.erase(std::remove(listener->clients.begin(), listener->clients.end(), socket),
                                    listener->clients.end());
    }
    AcceptingListener* listener = nullptr;
};

// One thread serves three clients the same 16 MiB stream, 8 MiB at a time
// (more than the system buffers for a connection, so a blocking send of it
// would wait for the reader); one client never reads. The other two must still get everything: an
// accepted socket must not block the thread that drives the server.
TEST(Sockets, AServerKeepsServingWhenOneClientStopsReading)
{
    const std::size_t kStream = 16u << 20;
    // 256 binary frames of 256 bytes, sent raw in one packet.
    std::string block;
    for (int frame = 0; frame < 256; ++frame)
        block += Frame(std::string(252, static_cast<char>('a' + frame % 26)));

    BroadcastServer server;
    ASSERT_TRUE(server.Init());
    auto* listener = new AcceptingListener();
    server.listener = listener;
    listener->Init(0x7F000001u, 0);
    listener->SetMgrSocketBase(&server);
    server.AddSocket(listener);

    std::vector<std::unique_ptr<MgrSocketBase>> peers;
    std::vector<VexirTest::RecordingSocket*> callers;
    for (int i = 0; i < 3; ++i) {
        peers.push_back(std::make_unique<MgrSocketBase>());
        ASSERT_TRUE(peers.back()->Init());
        auto* caller = new VexirTest::RecordingSocket();
        caller->SetBinaryMode(true);
        caller->SetMgrSocketBase(peers.back().get());
        ASSERT_TRUE(caller->Connect(0x7F000001u, listener->GetPort(), 0));
        peers.back()->AddSocket(caller);
        callers.push_back(caller);
    }

    std::atomic<bool> stop{false};
    std::thread serving([&] {
        std::map<NetSocket*, std::size_t> queued;
        while (!stop) {
            server.DoSelect(0, 1000, 1);
            for (NetSocket* client : listener->clients) {
                if (queued[client] < kStream && !client->HasOutput()) {
                    for (int k = 0; k < 128; ++k)
                        client->QueueSend(new TextPacket(block.data(), static_cast<std::uint32_t>(block.size())), true);
                    queued[client] += 128 * block.size();
                }
            }
        }
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto served = [&] {
        return peers[1]->GetBytesReceived() >= kStream && peers[2]->GetBytesReceived() >= kStream;
    };
    while (!served() && std::chrono::steady_clock::now() < deadline) {
        for (int i = 1; i < 3; ++i) {
            peers[i]->DoSelect(0, 1000, 1);
            for (IPacket* packet : callers[i]->Received())
                delete packet;
            callers[i]->Received().clear();
        }
    }
    const bool allServed = served();
    stop = true;
    callers[0]->CloseConnection();  // frees a server stuck sending to it
    serving.join();
    EXPECT_TRUE(allServed) << "the readers got " << peers[1]->GetBytesReceived() << " and "
                           << peers[2]->GetBytesReceived() << " bytes of " << kStream;
    EXPECT_EQ(peers[0]->GetBytesReceived(), 0u);
}

}  // namespace
