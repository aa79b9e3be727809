// A manager with one accepted connection and the raw socket at its other end,
// on an ephemeral loopback port, for driving a NetSocket byte by byte.
#pragma once

#include <Vexir/Network/Sockets.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace VexirTest {

// A socket whose received packets the test can read.
class RecordingSocket : public Vexir::Network::NetSocket {
public:
    using NetSocket::NetSocket;
    RecordingSocket() = default;
    std::list<Vexir::Network::IPacket*>& Received() { return _lInList; }
    std::string Next()
    {
        if (_lInList.empty())
            return std::string();
        Vexir::Network::IPacket* packet = _lInList.front();
        _lInList.pop_front();
        const std::string bytes(reinterpret_cast<const char*>(packet->GetData()), packet->GetSize());
        delete packet;
        return bytes;
    }
    std::uint32_t Held() const { return _uHeld; }
    Vexir::Network::SocketHandle Handle() const { return _hSocket; }
    int timeOuts = 0;
    void TimeOut() override
    {
        ++timeOuts;
        NetSocket::TimeOut();
    }
};

class ClosingManager : public Vexir::Network::MgrSocketBase {
public:
    void OnSocketClosing(Vexir::Network::NetSocket* socket) override
    {
        ++closings;
        causes.push_back(socket->GetCloseCause());
        if (keep)
            socket->SetState(Vexir::Network::NetSocket::CloseKeep);
    }
    int closings = 0;
    std::vector<Vexir::Network::NetSocket::CloseCause> causes;
    bool keep = false;
};

class SocketPair {
public:
    explicit SocketPair(bool binary, bool peerBinary = false)
    {
        EXPECT_TRUE(manager.Init());
        EXPECT_TRUE(peerManager.Init());
        Vexir::Network::NetListenSocket listener;
        listener.Init(0x7F000001u, 0);
        EXPECT_NE(listener.GetPort(), 0);
        peer = new RecordingSocket();
        peer->SetBinaryMode(peerBinary);
        peer->SetMgrSocketBase(&peerManager);
        EXPECT_TRUE(peer->Connect(0x7F000001u, listener.GetPort(), 0));
        peerManager.AddSocket(peer);
        unsigned int address = 0;
        Vexir::Network::SocketHandle accepted = Vexir::Network::kInvalidSocket;
        for (int attempt = 0; attempt < 500 && accepted == Vexir::Network::kInvalidSocket; ++attempt) {
            accepted = listener.AcceptConnection(&address);
            if (accepted == Vexir::Network::kInvalidSocket)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(address, 0x7F000001u);
        socket = new RecordingSocket(accepted, address, &manager, binary);
        id = manager.AddSocket(socket);
    }

    // Sends raw bytes from the peer.
    void Deliver(const std::string& bytes)
    {
        Vexir::Network::TextPacket packet(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        ASSERT_EQ(peer->SendNow(&packet), static_cast<int>(bytes.size()));
    }

    // Passes until the condition holds (or about two seconds have gone).
    bool PumpUntil(const std::function<bool()>& condition)
    {
        for (int pass = 0; pass < 400; ++pass) {
            if (condition())
                return true;
            manager.DoSelect(0, 5000, 1);
        }
        return condition();
    }

    bool Alive() const { return manager.GetSocketCount() == 1; }

    ClosingManager manager;
    // The other end, in a manager of its own (which owns it).
    Vexir::Network::MgrSocketBase peerManager;
    RecordingSocket* peer = nullptr;
    RecordingSocket* socket = nullptr;
    int id = -1;
};

}  // namespace VexirTest
