#include <Vexir/Assert.h>
#include <Vexir/Network/Sockets.h>

#include <cstring>
#include <string>

#include "Foundation/StandardStreams.h"
#include "Network/SocketApi.h"

namespace Vexir {
namespace Network {

namespace {

const char* ErrorText(int code)
{
    switch (code) {
    case 10004: return "The (blocking) call was canceled via WSACancelBlockingCall.";
    case 10014:
        return "The Windows Sockets implementation was unable to allocated needed resources for its internal "
               "operations, or the readfds, writefds, exceptfds, or timeval parameters are not part of the user "
               "address space.";
    case 10022: return "The timeout value is not valid, or all three descriptor parameters were NULL.";
    case 10036:
        return "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a "
               "callback function.";
    case 10038: return "One of the descriptor sets contains an entry which is not a socket.";
    case 10050: return "The network subsystem has failed.";
    case 10054: return "The connection was reset by the other end.";
    case 10093: return "A successful WSAStartup must occur before using this API.";
    default: return "Unknown.";
    }
}

std::uint32_t BigEndian32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

}  // namespace

// The lock of a socket's manager, when it has one.
class NetSocket::ManagerLock {
public:
    explicit ManagerLock(MgrSocketBase* manager) : _pLock(manager ? &manager->_mLock : nullptr)
    {
        if (_pLock)
            _pLock->Acquire();
    }
    ~ManagerLock()
    {
        if (_pLock)
            _pLock->Release();
    }
    ManagerLock(const ManagerLock&) = delete;
    ManagerLock& operator=(const ManagerLock&) = delete;

private:
    Mutex* _pLock;
};

namespace {

void DeleteAll(std::list<IPacket*>& packets)
{
    for (IPacket* packet : packets)
        delete packet;
    packets.clear();
}

}  // namespace

NetSocket::NetSocket()
    : _hSocket(kInvalidSocket), _iId(0), _uState(Open), _pManager(nullptr), _aReceiveBuffer{}, _uHeld(0),
      _uReadOffset(0), _bBinaryMode(false), _iSentOfFront(0), _uDeadline(0), _uPeerAddress(0), _bInternal(false),
      _uCreationTime(0), _eCloseCause(NotClosing)
{
}

NetSocket::NetSocket(SocketHandle socket, unsigned int peerAddress, MgrSocketBase* manager, bool binaryMode)
    : NetSocket()
{
    _hSocket = socket;
    _uPeerAddress = peerAddress;
    _pManager = manager;
    _bBinaryMode = binaryMode;
    _uCreationTime = SystemMilliseconds();
    if (manager)
        _bInternal = manager->IsInternal(peerAddress);
    if (socket != kInvalidSocket)
        SetDontLinger(socket);
}

NetSocket::~NetSocket()
{
    CloseConnection();
    DeleteAll(_lOutList);
    DeleteAll(_lInList);
}

int NetSocket::HasOutput() { return _lOutList.empty() ? 0 : 1; }

void NetSocket::HandleOutput()
{
    if (_lOutList.empty()) {
        CORE_ASSERT(!_lOutList.empty());
        return;
    }
    int sent = 0;
    do {
        IPacket* front = _lOutList.front();
        const std::uint32_t size = front->GetSize();
        sent = size > static_cast<std::uint32_t>(_iSentOfFront)
                   ? SendBytes(_hSocket, front->GetData() + _iSentOfFront, size - static_cast<std::uint32_t>(_iSentOfFront))
                   : 0;
        if (sent > 0) {
            if (_pManager)
                _pManager->_uBytesSent += static_cast<unsigned int>(sent);
            _iSentOfFront += sent;
        } else if (sent < 0 && LastSocketError() != kWouldBlock) {
            MarkClosing(SendFailed);
        }
        if (static_cast<std::uint32_t>(_iSentOfFront) >= size) {
            delete front;
            _lOutList.pop_front();
            _iSentOfFront = 0;
        }
    } while (sent > 0 && !_lOutList.empty());
}

bool NetSocket::CutPackets(std::uint32_t& total, bool& cutAny)
{
    // A binary frame can be judged once its four length bytes are in (an empty
    // payload makes a frame of exactly four).
    while (_bBinaryMode ? total >= 4 : total > 0) {
        const unsigned char* start = _aReceiveBuffer + _uReadOffset;
        std::uint32_t length;
        IPacket* pPacket;
        if (_bBinaryMode) {
            length = BigEndian32(start);
            // A length below the prefix cannot frame anything, and one above the
            // largest frame is refused as soon as it is read: waiting for the
            // rest of it would only let the peer fill the buffer first.
            if (length < 4 || length > kLargestFrame) {
                MarkClosing(FrameRefused);
                return false;
            }
            if (length > total)
                break;
            pPacket = new BinaryPacket(start + 4, length - 4);
            CORE_ASSERT(pPacket);
        } else {
            const void* end = std::memchr(start, '\r', total);
            if (!end)
                break;
            length = static_cast<std::uint32_t>(static_cast<const unsigned char*>(end) - start) + 1;
            pPacket = new TextPacket(start, length);
            CORE_ASSERT(pPacket);
        }
        _lInList.push_back(pPacket);
        _uReadOffset += length;
        total -= length;
        cutAny = true;
    }
    return true;
}

void NetSocket::HandleInput()
{
    const std::uint32_t free = kReceiveBufferSize - _uReadOffset - _uHeld;
    const int received = ReceiveBytes(_hSocket, _aReceiveBuffer + _uReadOffset + _uHeld, free);
    if (received == 0) {
        // The peer closed its side: nothing more will come.
        MarkClosing(PeerClosed);
        return;
    }
    if (received < 0 && LastSocketError() == kWouldBlock)
        return;  // a non-blocking socket woken for nothing: not an error
    if (received < 0) {
        // A diagnostic, kept apart from whatever the program shows on its
        // standard output.
        WriteStandardError(std::string("SOCKET error: ") + ErrorText(LastSocketError()) + "\n");
        MarkClosing(ReceiveFailed);
        _uState = Closing;
        return;
    }
    std::uint32_t total = _uHeld + static_cast<std::uint32_t>(received);
    bool cutAny = false;
    if (!CutPackets(total, cutAny))
        return;
    if (_pManager)
        _pManager->_uBytesReceived += static_cast<unsigned int>(received);
    _uHeld = total;
    if (cutAny && _uHeld == 0) {
        _uReadOffset = 0;
    } else if (_uReadOffset + kLargestFrame + _uHeld > kReceiveBufferSize) {
        if (_uHeld == kReceiveBufferSize) {
            // A text line longer than the whole buffer can never be cut.
            MarkClosing(LineTooLong);
            return;
        }
        std::memmove(_aReceiveBuffer, _aReceiveBuffer + _uReadOffset, _uHeld);
        _uReadOffset = 0;
    }
}

void NetSocket::TimeOut() { _uDeadline = 0; }

bool NetSocket::Connect(unsigned int address, unsigned short port, int allowDelay)
{
    _hSocket = CreateStreamSocket();
    if (_hSocket == kInvalidSocket)
        return false;
    if (allowDelay == 0)
        SetNoDelay(_hSocket);
    if (ConnectTo(_hSocket, address, port, kConnectMilliseconds)) {
        _uPeerAddress = address;
        return true;
    }
    CloseConnection();
    return false;
}

void NetSocket::CloseConnection()
{
    CloseSocketHandle(_hSocket);
    _hSocket = kInvalidSocket;
}

void NetSocket::SetBlocking(int blocking)
{
    if (_hSocket != kInvalidSocket)
        SetNonBlocking(_hSocket, blocking == 0);
}

void NetSocket::SetTimeOut(int milliseconds)
{
    _uDeadline = SystemMilliseconds() + static_cast<std::uint32_t>(milliseconds);
    if (_uDeadline == 0)
        _uDeadline = 1;
}

// A socket that names its manager is sent to under the manager's lock, so
// that another thread may queue while the manager's pass runs.
void NetSocket::QueueSend(IPacket* packet, bool clearTimeOut)
{
    ManagerLock lock(_pManager);
    if (clearTimeOut)
        _uDeadline = 0;
    if (packet)
        _lOutList.push_back(packet);
}

int NetSocket::SendNow(IPacket* packet)
{
    if (!packet || packet->GetSize() < 1)
        return 0;
    ManagerLock lock(_pManager);
    const std::uint32_t size = packet->GetSize();
    std::uint32_t total = 0;
    while (total < size) {
        const int sent = SendBytes(_hSocket, packet->GetData() + total, size - total);
        if (sent <= 0) {
            if (!(sent < 0 && LastSocketError() == kWouldBlock))
                MarkClosing(SendFailed);
            return static_cast<int>(total);
        }
        if (_pManager)
            _pManager->_uBytesSent += static_cast<unsigned int>(sent);
        total += static_cast<std::uint32_t>(sent);
    }
    return static_cast<int>(total);
}

void NetSocket::HandleException() { MarkClosing(SocketException); }

void NetSocket::MarkClosing(CloseCause cause)
{
    _uState |= Closing;
    if (_eCloseCause == NotClosing)
        _eCloseCause = cause;
}

int GetLastSocketError() { return LastSocketError(); }

}  // namespace Network
}  // namespace Vexir
