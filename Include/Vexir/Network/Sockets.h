// A small single-threaded TCP layer (IPv4). A manager owns sockets, gives each
// an id and drives them all with one wait per DoSelect pass: output, input,
// exceptions, time-outs, then the closing of sockets marked for it. A socket
// sends a queue of packets and cuts received bytes into packets: length-prefixed
// BinaryPackets (frames of 4 to 256 bytes) or carriage-return-ended TextPackets.
//
// Derive from these classes: OnSocketClosing of the manager, and HasOutput,
// HandleOutput, HandleInput and TimeOut of a socket are the points to override.
// One thread drives a manager.
//
// Windows waits with select, whose sets hold at most 1024 sockets each (further
// sockets sit out the pass). Linux waits with poll and has no such limit; its
// socket errors are reported with the Windows Sockets codes they correspond to.
#pragma once

#include <Vexir/Network/BinaryPacket.h>
#include <Vexir/Sync.h>

#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace Vexir {
namespace Network {

// The operating system's socket handle; all bits set when there is none.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle(0);

class NetSocket;

class VEXIR_API MgrSocketBase : private Uncopyable {
public:
    MgrSocketBase();
    virtual ~MgrSocketBase();
    // Called in DoSelect for each socket marked for closing; it may set the
    // state to 3 to keep the object (its connection closes, state 2).
    virtual void OnSocketClosing(NetSocket* socket);

    // Starts the platform's socket library.
    bool Init();
    // Takes ownership and returns the socket's id.
    int AddSocket(NetSocket* socket);
    void RemoveSocket(NetSocket* socket);
    // Queues the packet on that socket, which then owns it; false (the caller
    // keeps it) for an unknown id.
    bool Send(int id, IPacket* packet);
    // One pass. With a zero time limit it does not wait. A manager with no
    // sockets returns at once.
    void DoSelect(int timeoutSec, int timeoutUsec, int checkInput);
    void SetSubnet(unsigned int network, unsigned int mask);
    bool IsInternal(unsigned int address);
    // The first IPv4 address of a name, host byte order; 0 when it has none.
    unsigned int GetHostByName(const std::string& name);
    // The host name of an address in a static buffer of 32 bytes; null on failure.
    const char* GetHostByAddr(unsigned int address);
    void Shutdown();

    unsigned int GetBytesReceived() const { return _uBytesReceived; }
    unsigned int GetBytesSent() const { return _uBytesSent; }
    unsigned int GetPeakSocketCount() const { return _uPeakSockets; }
    std::size_t GetSocketCount() const { return _lSockets.size(); }

protected:
    friend class NetSocket;

    bool _bStarted;
    std::list<NetSocket*> _lSockets;
    std::map<int, NetSocket*> _mSocketsById;
    int _iNextId;
    unsigned int _uBytesReceived;
    unsigned int _uBytesSent;
    unsigned int _uPeakSockets;
    unsigned int _uSubnetMask;
    unsigned int _uSubnetNetwork;
    Mutex _mLock;
};

class VEXIR_API NetSocket : private Uncopyable {
public:
    enum : std::uint32_t { kReceiveBufferSize = 0x20000, kLargestFrame = 256 };
    // State bits: bit 0 marks the socket for closing; 2 is closed and kept.
    enum : std::uint32_t { Open = 0, Closing = 1, ClosedKept = 2, CloseKeep = 3 };
    // Why the socket marked itself for closing, the first cause that did.
    enum CloseCause : int {
        NotClosing = 0,
        PeerClosed,       // the other end closed the connection
        ReceiveFailed,    // a receive failed (the line "SOCKET error: ..." was printed)
        SendFailed,       // a send failed with an error other than would-block
        FrameRefused,     // a binary frame whose length is below 4 or above 256
        LineTooLong,      // a text line that cannot fit the receive buffer
        SocketException,  // the wait reported an exception
    };

    NetSocket();
    // Takes over an open socket, for example from AcceptConnection.
    NetSocket(SocketHandle socket, unsigned int peerAddress, MgrSocketBase* manager, bool binaryMode);
    // Closes the socket and deletes the packets it still holds.
    virtual ~NetSocket();

    virtual int HasOutput();
    virtual void HandleOutput();
    virtual void HandleInput();
    virtual void TimeOut();

    int GetID() const { return _iId; }
    std::uint32_t GetState() const { return _uState; }
    void SetState(std::uint32_t state) { _uState = state; }
    void SetMgrSocketBase(MgrSocketBase* manager) { _pManager = manager; }
    void SetBinaryMode(bool binary) { _bBinaryMode = binary; }
    // Blocking connect to a host-order address and port; allowDelay 0 sets TCP_NODELAY.
    bool Connect(unsigned int address, unsigned short port, int allowDelay);
    void CloseConnection();
    void SetBlocking(int blocking);
    void SetTimeOut(int milliseconds);
    void QueueSend(IPacket* packet, bool clearTimeOut);
    // Sends at once, bypassing the queue; the count of bytes sent.
    int SendNow(IPacket* packet);
    void HandleException();
    // NotClosing also when derived code set the state itself.
    CloseCause GetCloseCause() const { return _eCloseCause; }

protected:
    friend class MgrSocketBase;

    // Cuts as many packets as the held bytes hold; false when the socket was
    // marked for closing on the way.
    bool CutPackets(std::uint32_t& total, bool& cutAny);
    void MarkClosing(CloseCause cause);

    SocketHandle _hSocket;
    int _iId;
    std::uint32_t _uState;
    MgrSocketBase* _pManager;
    std::list<IPacket*> _lOutList;
    std::list<IPacket*> _lInList;
    unsigned char _aReceiveBuffer[kReceiveBufferSize];
    std::uint32_t _uHeld;
    std::uint32_t _uReadOffset;
    bool _bBinaryMode;
    int _iSentOfFront;
    std::uint32_t _uDeadline;
    unsigned int _uPeerAddress;
    bool _bInternal;
    std::uint32_t _uCreationTime;
    CloseCause _eCloseCause;
};

class VEXIR_API NetListenSocket : public NetSocket {
public:
    NetListenSocket();
    explicit NetListenSocket(unsigned short port);
    ~NetListenSocket() override;

    // Creates, binds (any local address), makes non-blocking and listens; the
    // failures are reported as assertions, and GetLastSocketError says why.
    // Linux sets SO_REUSEADDR so that a restart need not wait for the previous
    // run's connections to close. Windows binds plainly, which already allows
    // that, and so a second listener on the port is refused (10048) instead of
    // sharing it.
    void Init(unsigned short port);
    // Binds to one host-order IPv4 address instead of any.
    void Init(unsigned int address, unsigned short port);
    // The next pending connection, or kInvalidSocket; *peer gets its address.
    SocketHandle AcceptConnection(unsigned int* peer);
    unsigned short GetPort() const { return _uPort; }

protected:
    unsigned short _uPort;
};

// "1.2.3.4" in host byte order; 0xFFFFFFFF for a text that is no dotted address.
// Only the four-part decimal form is taken, on every platform: no short forms
// ("127.1"), no hexadecimal or octal parts, no leading zeros, no blanks.
VEXIR_API unsigned int ParseIPv4Address(const std::string& text);

// The calling thread's last socket error as a Windows Sockets code (10048: the
// address is in use, 10024: out of descriptors). After a NetListenSocket::Init
// that failed it tells why.
VEXIR_API int GetLastSocketError();

}  // namespace Network
}  // namespace Vexir
