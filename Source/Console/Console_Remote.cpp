#include "Console/Console_Remote.h"

#include <Vexir/Assert.h>

#include <cstring>
#include <new>
#include <string>

namespace Vexir {

namespace {

const std::size_t kChunk = 224;
// A BinaryPacket's length prefix.
const std::size_t kFrameOverhead = 4;

std::string HeaderRecord(int kind, int level, std::size_t chunks)
{
    return "2 " + std::to_string(kind) + " " + std::to_string(level) + " " + std::to_string(chunks) + " \r\n";
}

std::size_t ChunkCount(std::size_t length) { return length <= kChunk ? 1 : length / kChunk + 1; }

// What a message of this length puts on the wire, frames included.
std::size_t WireSize(std::size_t length)
{
    const std::size_t chunks = ChunkCount(length);
    // Header: at most "2 k l " + digits + " \r\n"; chunk records: "3 ddd " + bytes + " \r\n".
    return kFrameOverhead + 32 + chunks * (kFrameOverhead + 10) + length + chunks;
}

std::string DropNotice(unsigned long long dropped)
{
    return "Remote console: " + std::to_string(dropped) +
           (dropped == 1 ? " message was" : " messages were") +
           " dropped while the receiver was not taking them\n";
}

}  // namespace

bool RemoteConsoleClient::HasPendingOutput()
{
    for (Network::NetSocket* socket : _lSockets)
        if (socket->HasOutput() && (socket->GetState() & 1) == 0)
            return true;
    return false;
}

int RemoteConsoleClient::ConnectSocket()
{
    auto* socket = new (std::nothrow) Network::NetSocket();
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
    : _pManager(manager), _pRemoteInterface(new (std::nothrow) RemoteInterface(this)), _pClient(nullptr),
      _iSocketId(-1), _uBytesQueued(0), _uDropped(0)
{
    CORE_ASSERT_MSG(_pRemoteInterface != NULL, "Failed to create Console_Remote::RemoteInterface");
}

Console_Remote::~Console_Remote()
{
    delete _pRemoteInterface;
    Disconnect();
    ReleaseLaunchedProcess(_process);
}

InterfaceBase* Console_Remote::GetInterface(int type)
{
    return type == InterfaceBase::Remote ? _pRemoteInterface : nullptr;
}

void Console_Remote::Disconnect()
{
    // What is still queued goes out before the connection closes, for as long as
    // the receiver keeps taking it and at most kFlushMilliseconds.
    const ManualTimer flushing;
    while (_pClient && _pClient->HasPendingOutput() && flushing.Elapsed() < kFlushMilliseconds)
        _pClient->DoSelect(0, 10000, 0);
    delete _pClient;
    _pClient = nullptr;
    _iSocketId = -1;
    _uBytesQueued = 0;
    _uDropped = 0;
}

bool Console_Remote::Connect(const std::string& address)
{
    Disconnect();
    auto* client = new (std::nothrow) RemoteConsoleClient(Network::ParseIPv4Address(address));
    if (!client)
        return false;
    _pClient = client;
    const int id = client->Init() ? client->ConnectSocket() : -1;
    if (id < 0) {
        delete client;
        _pClient = nullptr;
        return false;
    }
    _iSocketId = id;
    return true;
}

std::size_t Console_Remote::QueuedBytes() const
{
    return _pClient ? static_cast<unsigned int>(_uBytesQueued - _pClient->GetBytesSent()) : 0;
}

// An empty queue takes any one message, so a message larger than the limit
// still goes out when the receiver keeps up.
bool Console_Remote::Fits(std::size_t bytes) const
{
    const std::size_t queued = QueuedBytes();
    return queued == 0 || queued + bytes <= kQueueLimit;
}

bool Console_Remote::QueueRecord(const std::string& record)
{
    auto* packet = new (std::nothrow) Network::BinaryPacket(record.data(), static_cast<std::uint32_t>(record.size()));
    if (!packet)
        return false;
    const std::uint32_t size = packet->GetSize();
    if (!_pClient->Send(_iSocketId, packet)) {
        delete packet;
        return false;
    }
    _uBytesQueued += size;
    return true;
}

void Console_Remote::QueueMessage(MessageKind kind, VerbosityLevel level, const char* text, std::size_t length)
{
    const std::size_t chunks = ChunkCount(length);
    if (!QueueRecord(HeaderRecord(kind, level, chunks)))
        return;
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
        if (!QueueRecord(record))
            return;
    }
}

void Console_Remote::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    if (!_pClient || _iSocketId == -1)
        return;
    // Make what room the receiver gives now; with nothing waiting, the pass
    // after queueing does this message's sending.
    if (QueuedBytes() > 0)
        _pClient->DoSelect(0, 0, 1);
    if (!_pClient->IsConnected()) {
        Disconnect();
        return;
    }
    const std::size_t length = text ? std::strlen(text) : 0;
    std::string notice;
    if (_uDropped > 0)
        notice = DropNotice(_uDropped);
    if (!Fits(WireSize(length) + (notice.empty() ? 0 : WireSize(notice.size())))) {
        ++_uDropped;
        return;
    }
    if (!notice.empty()) {
        QueueMessage(Normal, Warning, notice.c_str(), notice.size());
        _uDropped = 0;
    }
    QueueMessage(kind, level, text, length);
    _pClient->DoSelect(0, 0, 1);
    if (!_pClient->IsConnected())
        Disconnect();
}

}  // namespace Vexir
