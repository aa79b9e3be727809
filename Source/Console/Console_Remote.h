// Console_Remote: sends every message, whatever the threshold, to the
// RemoteConsole program over TCP port 7500: a header record and the text in
// chunks of at most 224 bytes, each record in its own BinaryPacket, then one
// zero-time pass of its socket manager. Messages are dropped while it is not
// connected. Runs under the manager's lock.
//
// Logging never waits for the receiver: the connection is non-blocking and
// what the receiver has not taken yet waits in a queue of at most
// kQueueLimit bytes, its packets' heap included. Anything the receiver sends
// is read and discarded; a receiver that stops sending (shuts down its side)
// keeps receiving. A message that does not fit is dropped and counted; once
// there is room again, a Warning saying how many were dropped goes first.
// Disconnecting, connecting elsewhere and destruction give the queue at most
// kFlushMilliseconds to drain, then close.
//
// When the receiver goes away, or the host connects elsewhere, what was still
// queued and every message logged until the next successful Connect are
// counted as dropped, and the notice goes first on the new connection. A
// message longer than kLargestText is cut to that length (the program takes no
// more), ending in kCutMark.
//
// Connect and LaunchRemoteConsole may run while other threads log: they make
// the new connection (or start the program) and drain the old connection
// outside the manager's lock, and hold it only to swap one for the other.
#pragma once

#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>

#include <deque>

#include "Console/RemoteLaunch.h"

namespace Vexir {

// The socket manager of the remote console: one connection to the program.
class RemoteConsoleClient : public Network::MgrSocketBase {
public:
    static const unsigned kPort = 7500;

    explicit RemoteConsoleClient(unsigned int address) : _uAddress(address), _uPort(kPort) {}
    ~RemoteConsoleClient() override = default;

    // The id of the connected socket, or -1. The socket is non-blocking.
    int ConnectSocket();
    bool HasPendingOutput();
    bool PeerStoppedSending() const;
    // One pass that sends what it can without waiting, and reads (to discard)
    // while the receiver may still send.
    void Pump(int timeoutUsec);
    // False once the connection has been closed (by the peer or an error).
    bool IsConnected() const { return !_lSockets.empty(); }
    std::size_t QueuedPackets() const;

private:
    unsigned int _uAddress;
    unsigned int _uPort;
};

class Console_Remote : public IConsole {
public:
    static const std::size_t kQueueLimit = 4u << 20;
    // What one queued packet costs the heap beyond its bytes (the packet, its
    // list node, the allocator's own), counted against the limit.
    static const std::size_t kPacketCost = 96;
    static const unsigned kFlushMilliseconds = 2000;
    static const std::size_t kLargestText = 1u << 20;
    static constexpr const char* kCutMark = " [cut: the message was longer than 1 MiB]";

    explicit Console_Remote(IMgrConsole* manager);
    ~Console_Remote() override;
    Console_Remote(const Console_Remote&) = delete;
    Console_Remote& operator=(const Console_Remote&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    class RemoteInterface : public IRemoteConsoleInterface {
    public:
        explicit RemoteInterface(Console_Remote* console) : _pConsole(console) {}
        int GetInterfaceType() override { return Remote; }
        bool LaunchRemoteConsole() override { return _pConsole->Launch(); }
        bool ConnectLocal() override { return Connect("127.0.0.1"); }
        bool ReservedQuery() override { return false; }
        bool Connect(const std::string& address) override { return _pConsole->Connect(address); }
        void ReservedAction() override {}

    private:
        Console_Remote* _pConsole;
    };

    bool Launch();
    bool Connect(const std::string& address);
    // In a forked child: lets go of the parent's connection and program
    // without a byte sent or a child collected.
    void LeaveTheParentsConnection();
    void Disconnect();
    // Takes the connection out of the console, leaving none (under the lock).
    RemoteConsoleClient* TakeClient(std::deque<unsigned long long>& queuedMessages);
    // Gives a taken connection at most kFlushMilliseconds to send what it
    // holds, then deletes it; the messages that did not leave.
    static unsigned long long Drain(RemoteConsoleClient* client, std::deque<unsigned long long>& queuedMessages);
    // The receiver went away: what it had not taken counts as dropped.
    void LoseConnection();
    // Sends queued output and notices packets that have left, or the loss.
    void Pump();
    // Bytes handed to the client that have not left yet.
    std::size_t QueuedBytes() const;
    bool Fits(std::size_t bytes) const;
    bool QueueWire();

    // The manager's message lock, or null for a manager of the host's own.
    Mutex* _pManagerLock;
    RemoteInterface* _pRemoteInterface;
    RemoteConsoleClient* _pClient;
    int _iSocketId;
    // Counted modulo 2^32, as the client counts the bytes it sent.
    unsigned int _uBytesQueued;
    unsigned long long _uDropped;
    // Messages sent since the receiver stopped sending: lost if it turns out
    // to have gone.
    unsigned long long _uUnconfirmed;
    // For each queued packet, oldest first: the messages it carries (one, and
    // those counted by a drop notice in front of it).
    std::deque<unsigned long long> _dQueuedMessages;
    bool _bLost;  // the connection was lost, not closed by the host
    std::string _sWire;  // the message being queued, kept to reuse its storage
    LaunchedProcess _process;
    unsigned long _uProcess;  // the process the connection and program belong to
};

}  // namespace Vexir
