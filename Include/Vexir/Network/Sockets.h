/// @file
/// A small TCP layer (IPv4). A manager owns sockets, gives each
/// an id and drives them all with one wait per DoSelect pass: output, input,
/// exceptions, time-outs, then the closing of sockets marked for it. A socket
/// sends a queue of packets and cuts received bytes into packets: length-prefixed
/// BinaryPackets (frames of 4 to 256 bytes) or carriage-return-ended TextPackets.
///
/// Derive from these classes: OnSocketClosing of the manager, and HasOutput,
/// HandleOutput, HandleInput and TimeOut of a socket are the points to override.
///
/// Threads: every operation of a manager, and QueueSend and SendNow of a
/// socket that names its manager, may be called from any thread. They take the
/// manager's recursive lock, which DoSelect holds for its whole pass, so a
/// call from another thread waits for the pass to end (at most the pass's time
/// limit and its handlers). One thread at a time drives the passes. Only
/// RemoveSocket and Shutdown may not be called from inside a pass (from a
/// socket's handlers or OnSocketClosing).
///
/// Addresses and ports are in host byte order throughout: 127.0.0.1 is
/// 0x7F000001.
///
/// Windows waits with select, whose sets hold at most 1024 sockets each (further
/// sockets sit out the pass). Linux waits with poll and has no such limit; its
/// socket errors are reported with the Windows Sockets codes they correspond to.
#pragma once

#include <Vexir/Network/BinaryPacket.h>
#include <Vexir/Sync.h>

#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace Vexir {
namespace Network {

/// The operating system's socket handle; all bits set when there is none.
using SocketHandle = std::uintptr_t;
/// The SocketHandle of no socket.
constexpr SocketHandle kInvalidSocket = ~SocketHandle(0);

class NetSocket;

/// Owns a set of sockets and drives them with DoSelect.
///
/// Sockets given to AddSocket belong to the manager, which deletes them when
/// they close, at RemoveSocket and at Shutdown (also from the destructor).
/// Call Init before any socket is created. Safe from any thread (see the file
/// comment); the destructor is not, as no destructor is.
class VEXIR_API MgrSocketBase : private Uncopyable {
public:
    /// An empty manager with no subnet set; call Init before use.
    MgrSocketBase();
    /// Shuts down: deletes every socket it still holds.
    virtual ~MgrSocketBase();
    /// Called in DoSelect for each socket marked for closing; it may set the
    /// state to 3 to keep the object (its connection closes, state 2).
    /// A socket left in state 1 is removed and deleted straight after the call.
    /// The default does nothing.
    virtual void OnSocketClosing(NetSocket* socket);

    /// Starts the platform's socket library.
    /// False, after a failed assertion, when it cannot be started.
    bool Init();
    /// Takes ownership and returns the socket's id.
    /// Ids count up from 0 and are not reused. The socket's own manager
    /// pointer, which its byte counts go to, is set by the socket's
    /// constructor or NetSocket::SetMgrSocketBase, not here.
    int AddSocket(NetSocket* socket);
    /// Takes the socket out of the manager and deletes it. From any thread,
    /// but not from inside DoSelect's own calls (a socket's handlers or
    /// OnSocketClosing), which would lose the socket under the pass: mark the
    /// socket for closing there instead.
    void RemoveSocket(NetSocket* socket);
    /// Queues the packet on that socket, which then owns it; false (the caller
    /// keeps it) for an unknown id.
    /// Queueing clears the socket's time-out, as NetSocket::QueueSend does
    /// when asked to.
    bool Send(int id, IPacket* packet);
    /// One pass. With a zero time limit it does not wait. A manager with no
    /// sockets returns at once.
    ///
    /// A socket is ready only for what it was waited on for: one whose
    /// connection failed or closed is not ready when `checkInput` is 0 and it
    /// has nothing to send, so such a pass waits out its time limit (it is
    /// marked at the next pass that reads, or send, from it).
    ///
    /// Waits at most `timeoutSec` seconds plus `timeoutUsec` microseconds until
    /// one of the open sockets not marked for closing is ready, then calls, for
    /// each ready socket, HandleException, HandleOutput (when it is writable;
    /// it is waited for only while HasOutput says so) and HandleInput (when it
    /// is readable and `checkInput` is not 0), skipping the rest of a socket's
    /// calls once it is marked for closing. Then TimeOut is called for every
    /// socket whose time-out has run out, and every socket marked for closing
    /// goes through OnSocketClosing and is deleted or kept. A failed wait ends
    /// the pass at once, before the time-outs and the closing.
    void DoSelect(int timeoutSec, int timeoutUsec, int checkInput);
    /// Sets the subnet whose addresses IsInternal accepts: those whose bits
    /// under `mask` equal `network` (give `network` already masked). A mask
    /// of 0, the default, makes no address internal.
    void SetSubnet(unsigned int network, unsigned int mask);
    /// True when `address` lies in the subnet set with SetSubnet.
    bool IsInternal(unsigned int address);
    /// The first IPv4 address of a name, host byte order; 0 when it has none.
    /// Blocks for the lookup; a failure also raises an assertion.
    unsigned int GetHostByName(const std::string& name);
    /// The host name of an address in a static buffer of 32 bytes; null on failure.
    /// The buffer is shared by every manager and thread and overwritten by the
    /// next call; a longer name is cut to 31 bytes. Blocks for the lookup.
    const char* GetHostByAddr(unsigned int address);
    /// Deletes every socket (without calling OnSocketClosing) and stops the
    /// socket library if Init started it. Init may be called again after it.
    /// Not from inside DoSelect's own calls, as RemoveSocket.
    void Shutdown();

    /// Bytes received by the sockets that name this manager, since it was
    /// made; wraps at 2^32.
    unsigned int GetBytesReceived() const;
    /// Bytes sent by the sockets that name this manager, since it was made;
    /// wraps at 2^32.
    unsigned int GetBytesSent() const;
    /// The most sockets the manager has held at once.
    unsigned int GetPeakSocketCount() const;
    /// The sockets the manager holds now, closed and marked ones included.
    std::size_t GetSocketCount() const;

protected:
    friend class NetSocket;

    bool _bStarted;                             ///< Init started the socket library.
    std::list<NetSocket*> _lSockets;            ///< The sockets owned, in the order they were added.
    std::map<int, NetSocket*> _mSocketsById;    ///< The same sockets by id.
    int _iNextId;                               ///< The id AddSocket gives next.
    unsigned int _uBytesReceived;               ///< See GetBytesReceived.
    unsigned int _uBytesSent;                   ///< See GetBytesSent.
    unsigned int _uPeakSockets;                 ///< See GetPeakSocketCount.
    unsigned int _uSubnetMask;                  ///< The mask given to SetSubnet; 0 for none.
    unsigned int _uSubnetNetwork;               ///< The network given to SetSubnet.
    mutable Mutex _mLock;                       ///< Held by every operation, and by DoSelect for its whole pass.
};

/// One TCP connection: a queue of packets to send and the packets cut from
/// what it received.
///
/// In binary mode received bytes are cut into BinaryPackets (GetData() includes
/// the 4-byte length prefix); in text mode into TextPackets, each ending in its
/// carriage return. Received packets wait in _lInList: a derived class's
/// HandleInput calls this one and then takes them; packets taken belong to the
/// taker, those left are deleted with the socket.
class VEXIR_API NetSocket : private Uncopyable {
public:
    /// Sizes of the receive side.
    enum : std::uint32_t { kReceiveBufferSize = 0x20000, kLargestFrame = 256 };
    /// The longest Connect waits for an answer.
    static constexpr int kConnectMilliseconds = 3000;
    /// State bits: bit 0 marks the socket for closing; 2 is closed and kept.
    enum : std::uint32_t { Open = 0, Closing = 1, ClosedKept = 2, CloseKeep = 3 };
    /// Why the socket marked itself for closing, the first cause that did.
    enum CloseCause : int {
        NotClosing = 0,   ///< Not marked for closing by the socket itself.
        PeerClosed,       ///< the other end closed the connection
        ReceiveFailed,    ///< a receive failed (the line "SOCKET error: ..." went to standard error)
        SendFailed,       ///< a send failed with an error other than would-block
        FrameRefused,     ///< a binary frame whose length is below 4 or above 256
        LineTooLong,      ///< a text line that cannot fit the receive buffer
        SocketException,  ///< the wait reported an exception
    };
    /// @var kReceiveBufferSize
    /// The bytes the receive buffer holds (128 KiB); also the longest text line.
    /// @var kLargestFrame
    /// The longest binary frame accepted, length prefix included.
    /// @var Open
    /// Connected (or not yet connected) and waited on by DoSelect.
    /// @var Closing
    /// Marked for closing: the next DoSelect calls OnSocketClosing and deletes it.
    /// @var ClosedKept
    /// The connection is closed and the object kept in its manager.
    /// @var CloseKeep
    /// Marked for closing, the object to be kept: what OnSocketClosing sets
    /// to keep it. DoSelect then closes the connection and sets ClosedKept.

    /// A socket with no connection, in text mode; use Connect.
    NetSocket();
    /// Takes over an open socket, for example from AcceptConnection.
    /// The socket closes `socket` when it is done with it. `peerAddress` is
    /// recorded and tested with the manager's IsInternal (when `manager` is
    /// not null). Closing the socket returns at once, without waiting for
    /// unsent data to go out. The socket is not added to `manager`: give it to
    /// AddSocket.
    NetSocket(SocketHandle socket, unsigned int peerAddress, MgrSocketBase* manager, bool binaryMode);
    /// Closes the socket and deletes the packets it still holds.
    virtual ~NetSocket();

    /// Nonzero while there is something to send; DoSelect then waits for the
    /// socket to become writable and calls HandleOutput. The default tells
    /// whether packets are queued.
    virtual int HasOutput();
    /// Called by DoSelect when the socket is writable: sends from the queue as
    /// much as the connection takes, deleting each packet once it is all sent.
    /// A failed send (other than would-block) marks the socket SendFailed. An
    /// override that reports other output in HasOutput must send it here.
    virtual void HandleOutput();
    /// Called by DoSelect when the socket is readable: receives once and cuts
    /// every complete packet into _lInList. An end of the connection, a failed
    /// receive, a refused frame or an overlong line marks the socket for
    /// closing (see CloseCause). Overrides call this, then take the packets.
    virtual void HandleInput();
    /// Called by DoSelect once the time set with SetTimeOut has run out. The
    /// default clears the time-out; an override that does not call it is
    /// called again at every pass.
    virtual void TimeOut();

    /// The id its manager gave it; 0 before AddSocket.
    int GetID() const { return _iId; }
    /// Open, Closing, ClosedKept or CloseKeep.
    std::uint32_t GetState() const { return _uState; }
    /// Sets the state: Closing marks the socket for closing (with no
    /// CloseCause); in OnSocketClosing, CloseKeep keeps the object.
    void SetState(std::uint32_t state) { _uState = state; }
    /// The manager whose byte counts this socket adds to; the socket is not
    /// added to it.
    void SetMgrSocketBase(MgrSocketBase* manager) { _pManager = manager; }
    /// True cuts received bytes into binary frames, false into text lines.
    /// Set it before anything arrives.
    void SetBinaryMode(bool binary) { _bBinaryMode = binary; }
    /// Connects to a host-order address and port; allowDelay 0 sets TCP_NODELAY.
    /// For a socket with no connection. Waits at most kConnectMilliseconds
    /// (3 seconds) for the connection to be made or refused, so that an
    /// address that never answers, or a listener whose queue is full, costs
    /// the caller no more than that. False when it fails (the socket then has
    /// none; GetLastSocketError says why: 10060 when the time ran out). The
    /// socket is left blocking: call SetBlocking(0) before a manager drives it.
    bool Connect(unsigned int address, unsigned short port, int allowDelay);
    /// Closes the connection now; the object, its queues and its place in the
    /// manager stay (DoSelect passes over a socket with no connection).
    void CloseConnection();
    /// 0 makes the socket non-blocking, anything else blocking. No effect
    /// without a connection.
    void SetBlocking(int blocking);
    /// Calls TimeOut at the first DoSelect pass after `milliseconds` from now,
    /// replacing any earlier time-out.
    void SetTimeOut(int milliseconds);
    /// Appends the packet to the send queue; the socket then owns it and
    /// deletes it once sent. With `clearTimeOut` set, the time-out is cleared
    /// too; a null packet does only that.
    void QueueSend(IPacket* packet, bool clearTimeOut);
    /// Sends at once, bypassing the queue; the count of bytes sent.
    /// The caller keeps the packet. Fewer bytes than GetSize() when a
    /// non-blocking socket would block or a send fails (the socket is then
    /// marked SendFailed); the rest is not sent. 0 for a null or empty packet.
    int SendNow(IPacket* packet);
    /// Marks the socket for closing with SocketException; DoSelect calls it
    /// when the wait reports an exception.
    void HandleException();
    /// NotClosing also when derived code set the state itself.
    CloseCause GetCloseCause() const { return _eCloseCause; }

protected:
    friend class MgrSocketBase;
    /// Holds the lock of the socket's manager, when it names one.
    class ManagerLock;

    /// Cuts as many packets as the held bytes hold; false when the socket was
    /// marked for closing on the way.
    /// `total` is the count of held bytes, lowered by each packet cut;
    /// `cutAny` is set when a packet was cut.
    bool CutPackets(std::uint32_t& total, bool& cutAny);
    /// Sets the closing bit, and `cause` unless an earlier cause is recorded.
    void MarkClosing(CloseCause cause);

    SocketHandle _hSocket;                              ///< The connection; kInvalidSocket when none.
    int _iId;                                           ///< See GetID.
    std::uint32_t _uState;                              ///< See GetState.
    MgrSocketBase* _pManager;                           ///< The manager whose byte counts it adds to; may be null.
    std::list<IPacket*> _lOutList;                      ///< Packets to send, owned, oldest first.
    std::list<IPacket*> _lInList;                       ///< Packets received, owned until taken, oldest first.
    unsigned char _aReceiveBuffer[kReceiveBufferSize];  ///< Received bytes not yet cut into packets.
    std::uint32_t _uHeld;                               ///< The count of those bytes.
    std::uint32_t _uReadOffset;                         ///< Where they start in the buffer.
    bool _bBinaryMode;                                  ///< See SetBinaryMode.
    int _iSentOfFront;                                  ///< Bytes of the first queued packet already sent.
    std::uint32_t _uDeadline;                           ///< When TimeOut is due, in system milliseconds; 0 for never.
    unsigned int _uPeerAddress;                         ///< The other end's address, host byte order.
    bool _bInternal;                                    ///< The peer was in the manager's subnet when the socket was made.
    std::uint32_t _uCreationTime;                       ///< System milliseconds when a taken-over socket was made; else 0.
    CloseCause _eCloseCause;                            ///< See GetCloseCause.
};

/// A socket that listens for connections.
///
/// Driven by a manager, it is readable when a connection waits: override
/// HandleInput to call AcceptConnection and give each handle to a NetSocket
/// (the inherited HandleInput would read from the listening socket and fail).
class VEXIR_API NetListenSocket : public NetSocket {
public:
    /// Not listening yet; call Init.
    NetListenSocket();
    /// Listens on `port` at any local address, as Init(port) does.
    explicit NetListenSocket(unsigned short port);
    ~NetListenSocket() override;

    /// Creates, binds (any local address), makes non-blocking and listens; the
    /// failures are reported as assertions, and GetLastSocketError says why.
    /// Linux sets SO_REUSEADDR so that a restart need not wait for the previous
    /// run's connections to close. Windows binds plainly, which already allows
    /// that, and so a second listener on the port is refused (10048) instead of
    /// sharing it.
    ///
    /// Port 0 lets the system choose a free port; GetPort tells which. Call it
    /// once, on a socket with no connection.
    void Init(unsigned short port);
    /// Binds to one host-order IPv4 address instead of any.
    void Init(unsigned int address, unsigned short port);
    /// The next pending connection, or kInvalidSocket; *peer gets its address.
    /// kInvalidSocket also when none is waiting (GetLastSocketError then gives
    /// 10035, would-block). The caller owns the handle; it is non-blocking as
    /// the listener is. `peer` may be null.
    SocketHandle AcceptConnection(unsigned int* peer);
    /// The port it listens on (the one chosen for port 0); 0 until Init succeeds.
    unsigned short GetPort() const { return _uPort; }

protected:
    unsigned short _uPort;  ///< See GetPort.
};

/// "1.2.3.4" in host byte order; 0xFFFFFFFF for a text that is no dotted address.
/// Only the dotted decimal form of four numbers is taken, on every platform: no
/// short forms ("127.1"), no hexadecimal or octal numbers, no leading zeros, no
/// blanks. "255.255.255.255" also gives 0xFFFFFFFF.
VEXIR_API unsigned int ParseIPv4Address(const std::string& text);

/// The calling thread's last socket error as a Windows Sockets code (10048: the
/// address is in use, 10024: out of descriptors). After a NetListenSocket::Init
/// that failed it tells why.
VEXIR_API int GetLastSocketError();

}  // namespace Network
}  // namespace Vexir
