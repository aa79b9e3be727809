#include "Console/Console_Remote.h"

#include <Vexir/Assert.h>

#include <cstring>
#include <new>
#include <string>

#include "Console/MgrConsole.h"
#include "Foundation/SyncPlatform.h"
#include "Network/SocketApi.h"

namespace Vexir {

namespace {

const std::size_t kChunk = 224;

std::size_t ChunkCount(std::size_t length) { return length <= kChunk ? 1 : length / kChunk + 1; }

// One record as a BinaryPacket puts it on the wire: its length, prefix
// included, in four big-endian bytes, then the record.
void AppendFrame(std::string& wire, const std::string& record)
{
    const std::uint32_t length = static_cast<std::uint32_t>(record.size() + 4);
    const char prefix[4] = {static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                            static_cast<char>(length >> 8), static_cast<char>(length)};
    wire.append(prefix, 4).append(record);
}

// The header record and the chunk records of one message, framed.
void AppendMessage(std::string& wire, int kind, int level, const char* text, std::size_t length)
{
    const std::size_t chunks = ChunkCount(length);
    AppendFrame(wire, "2 " + std::to_string(kind) + " " + std::to_string(level) + " " + std::to_string(chunks) +
                          " \r\n");
    std::string record;
    for (std::size_t i = 0; i < chunks; ++i) {
        const std::size_t start = kChunk * i;
        // Each chunk carries its characters and the byte after them: the next
        // chunk's first character, or the terminating zero.
        const std::size_t count = (length - start < kChunk ? length - start : kChunk) + 1;
        record.assign("3 ").append(std::to_string(count)).append(" ");
        if (text)
            record.append(text + start, count);
        else
            record.push_back('\0');
        record.append(" \r\n");
        AppendFrame(wire, record);
    }
}

std::string DropNotice(unsigned long long dropped)
{
    return "Remote console: " + std::to_string(dropped) +
           (dropped == 1 ? " message was" : " messages were") +
           " dropped while the receiver was not taking them\n";
}

// `limit`, moved back to the start of the UTF-8 sequence it falls in (at most
// three bytes: text that is not UTF-8 is cut where it is).
std::size_t CutPoint(const char* text, std::size_t limit)
{
    for (std::size_t back = 0; back < 4 && back < limit; ++back)
        if ((static_cast<unsigned char>(text[limit - back]) & 0xC0) != 0x80)
            return limit - back;
    return limit;
}

// The console's end of the connection. The program sends nothing; whatever
// arrives all the same is read and thrown away unframed, so that a peer that
// talks can neither fill the host's memory nor, with bytes that frame nothing,
// cut the connection. A receiver that shuts down its sending side (a relay,
// or a listener whose input ended) may still be reading: the end of what it
// sends ends nothing, and only an error (a failed send, a reset) ends the
// connection.
class RemoteConsoleSocket : public Network::NetSocket {
public:
    void HandleInput() override
    {
        unsigned char discarded[4096];
        const int received = Network::ReceiveBytes(_hSocket, discarded, sizeof discarded);
        if (received == 0)
            _bPeerStoppedSending = true;
        else if (received < 0 && Network::LastSocketError() != Network::kWouldBlock)
            _uState |= Closing;
    }
    std::size_t QueuedPackets() const { return _lOutList.size(); }
    bool PeerStoppedSending() const { return _bPeerStoppedSending; }

private:
    bool _bPeerStoppedSending = false;
};

// Holds the manager's message lock, when the console has one.
class MessageLock {
public:
    explicit MessageLock(Mutex* lock) : _pLock(lock)
    {
        if (_pLock)
            _pLock->Acquire();
    }
    ~MessageLock()
    {
        if (_pLock)
            _pLock->Release();
    }
    MessageLock(const MessageLock&) = delete;
    MessageLock& operator=(const MessageLock&) = delete;

private:
    Mutex* _pLock;
};

}  // namespace

bool RemoteConsoleClient::HasPendingOutput()
{
    for (Network::NetSocket* socket : _lSockets)
        if (socket->HasOutput() && (socket->GetState() & 1) == 0)
            return true;
    return false;
}

bool RemoteConsoleClient::PeerStoppedSending() const
{
    for (Network::NetSocket* socket : _lSockets)
        if (static_cast<const RemoteConsoleSocket*>(socket)->PeerStoppedSending())
            return true;
    return false;
}

// Once the receiver has stopped sending there is nothing to read: a pass that
// still asked would find the socket readable at once, every time.
void RemoteConsoleClient::Pump(int timeoutUsec) { DoSelect(0, timeoutUsec, PeerStoppedSending() ? 0 : 1); }

std::size_t RemoteConsoleClient::QueuedPackets() const
{
    std::size_t packets = 0;
    for (Network::NetSocket* socket : _lSockets)
        packets += static_cast<const RemoteConsoleSocket*>(socket)->QueuedPackets();
    return packets;
}

int RemoteConsoleClient::ConnectSocket()
{
    auto* socket = new (std::nothrow) RemoteConsoleSocket();
    if (!socket)
        return -1;
    socket->SetMgrSocketBase(this);
    socket->SetBinaryMode(true);
    if (!socket->Connect(_uAddress, static_cast<unsigned short>(_uPort), 0)) {
        delete socket;
        return -1;
    }
    socket->SetBlocking(0);
    return AddSocket(socket);
}

Console_Remote::Console_Remote(IMgrConsole* manager)
    : _pManagerLock(MessageLockOf(manager)), _pRemoteInterface(new (std::nothrow) RemoteInterface(this)),
      _pClient(nullptr), _iSocketId(-1), _uBytesQueued(0), _uDropped(0), _uUnconfirmed(0), _bLost(false),
      _uProcess(CurrentProcessToken())
{
    CORE_ASSERT_MSG(_pRemoteInterface != NULL, "Failed to create Console_Remote::RemoteInterface");
}

Console_Remote::~Console_Remote()
{
    LeaveTheParentsConnection();
    delete _pRemoteInterface;
    Disconnect();
    ReleaseLaunchedProcess(_process);
}

InterfaceBase* Console_Remote::GetInterface(int type)
{
    return type == InterfaceBase::Remote ? _pRemoteInterface : nullptr;
}

// The program is started, and waited for, outside the manager's lock.
void Console_Remote::LeaveTheParentsConnection()
{
    if (_uProcess == CurrentProcessToken())
        return;
    _uProcess = CurrentProcessToken();
    std::deque<unsigned long long> queued;
    delete TakeClient(queued);  // closes this process's descriptor only
    _process = LaunchedProcess();
    _uDropped = 0;
    _uUnconfirmed = 0;
    _bLost = false;
}

bool Console_Remote::Launch()
{
    LaunchedProcess launched;
    const bool started = LaunchRemoteConsoleProgram(launched);
    MessageLock lock(_pManagerLock);
    LeaveTheParentsConnection();
    ReleaseLaunchedProcess(_process);
    _process = launched;
    return started;
}

RemoteConsoleClient* Console_Remote::TakeClient(std::deque<unsigned long long>& queuedMessages)
{
    RemoteConsoleClient* client = _pClient;
    queuedMessages.swap(_dQueuedMessages);
    _dQueuedMessages.clear();
    _pClient = nullptr;
    _iSocketId = -1;
    _uBytesQueued = 0;
    return client;
}

unsigned long long Console_Remote::Drain(RemoteConsoleClient* client, std::deque<unsigned long long>& queuedMessages)
{
    // What is still queued goes out before the connection closes, for as long as
    // the receiver keeps taking it and at most kFlushMilliseconds.
    const ManualTimer flushing;
    while (client && client->HasPendingOutput() && flushing.Elapsed() < kFlushMilliseconds)
        client->Pump(10000);
    unsigned long long unsent = 0;
    if (client) {
        if (client->IsConnected())
            while (queuedMessages.size() > client->QueuedPackets())
                queuedMessages.pop_front();
        for (unsigned long long messages : queuedMessages)
            unsent += messages;
    }
    delete client;
    return unsent;
}

void Console_Remote::Disconnect()
{
    std::deque<unsigned long long> queued;
    Drain(TakeClient(queued), queued);
    _uDropped = 0;
    _uUnconfirmed = 0;
    _bLost = false;
}

void Console_Remote::LoseConnection()
{
    std::deque<unsigned long long> queued;
    RemoteConsoleClient* client = TakeClient(queued);
    // Sent after the receiver had stopped sending, to a receiver that has now
    // gone: most likely never read.
    unsigned long long lost = _uDropped + _uUnconfirmed;
    for (unsigned long long messages : queued)
        lost += messages;
    delete client;
    _uDropped = lost;
    _uUnconfirmed = 0;
    _bLost = true;
    ReapLaunchedProcess(_process);  // the program may be what went away
}

void Console_Remote::Pump()
{
    _pClient->Pump(0);
    if (!_pClient->IsConnected()) {
        LoseConnection();
        return;
    }
    const bool unconfirmed = _pClient->PeerStoppedSending();
    while (_dQueuedMessages.size() > _pClient->QueuedPackets()) {
        if (unconfirmed)
            _uUnconfirmed += _dQueuedMessages.front();
        _dQueuedMessages.pop_front();
    }
}

// The new connection is made first, and the old one drained after, both
// outside the manager's lock, so that the host's other threads go on logging
// meanwhile; the lock is held only to swap them. What the old receiver did not
// get is counted and told to the new one, as when a receiver goes away.
bool Console_Remote::Connect(const std::string& address)
{
    auto* client = new (std::nothrow) RemoteConsoleClient(Network::ParseIPv4Address(address));
    const int id = client && client->Init() ? client->ConnectSocket() : -1;
    if (id < 0) {
        delete client;
        client = nullptr;
    }
    std::deque<unsigned long long> queued;
    RemoteConsoleClient* previous;
    {
        MessageLock lock(_pManagerLock);
        LeaveTheParentsConnection();
        previous = TakeClient(queued);
        _pClient = client;
        _iSocketId = id;
        _uUnconfirmed = 0;
        if (client)
            _bLost = false;
        ReapLaunchedProcess(_process);
    }
    const unsigned long long unsent = Drain(previous, queued);
    MessageLock lock(_pManagerLock);
    _uDropped += unsent;
    // Without a new connection, the messages logged from now on are owed a
    // notice as well, as after a lost receiver.
    if (!_pClient && _uDropped > 0)
        _bLost = true;
    return client != nullptr;
}

std::size_t Console_Remote::QueuedBytes() const
{
    return _pClient ? static_cast<unsigned int>(_uBytesQueued - _pClient->GetBytesSent()) : 0;
}

// The bytes waiting plus what their packets cost the heap. An empty queue
// takes any one message, so a message larger than the limit still goes out
// when the receiver keeps up.
bool Console_Remote::Fits(std::size_t bytes) const
{
    const std::size_t packets = _pClient->QueuedPackets();
    return packets == 0 || QueuedBytes() + (packets + 1) * kPacketCost + bytes <= kQueueLimit;
}

// The message's records go out framed exactly as one BinaryPacket each would
// be, in a single packet of raw bytes: one allocation per message.
bool Console_Remote::QueueWire()
{
    auto* packet = new (std::nothrow) Network::TextPacket(_sWire.data(), static_cast<std::uint32_t>(_sWire.size()));
    if (!packet)
        return false;
    if (!_pClient->Send(_iSocketId, packet)) {
        delete packet;
        return false;
    }
    _uBytesQueued += static_cast<unsigned int>(_sWire.size());
    return true;
}

void Console_Remote::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    LeaveTheParentsConnection();
    if (!_pClient || _iSocketId == -1) {
        if (_bLost)
            ++_uDropped;
        return;
    }
    // Make what room the receiver gives now; with nothing waiting, the pass
    // after queueing does this message's sending.
    if (QueuedBytes() > 0)
        Pump();
    if (!_pClient) {
        ++_uDropped;
        return;
    }
    _sWire.clear();
    const unsigned long long noticed = _uDropped;
    if (noticed > 0) {
        const std::string notice = DropNotice(noticed);
        AppendMessage(_sWire, Normal, Warning, notice.c_str(), notice.size());
    }
    std::size_t length = text ? std::strlen(text) : 0;
    std::string cut;
    if (length > kLargestText) {
        cut.assign(text, CutPoint(text, kLargestText - std::strlen(kCutMark))).append(kCutMark);
        text = cut.c_str();
        length = cut.size();
    }
    AppendMessage(_sWire, kind, level, text, length);
    if (!Fits(_sWire.size()) || !QueueWire()) {
        ++_uDropped;
        return;
    }
    _dQueuedMessages.push_back(noticed + 1);
    _uDropped = 0;
    // One huge message must not keep its buffer beside the queue for ever.
    if (_sWire.capacity() > 65536)
        std::string().swap(_sWire);
    Pump();
}

}  // namespace Vexir
