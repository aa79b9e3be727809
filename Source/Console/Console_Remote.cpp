#include "Console/Console_Remote.h"

#include <Vexir/Assert.h>

#include <cstring>
#include <new>
#include <string>

namespace Vexir {

namespace {

const std::size_t kChunk = 224;

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
    auto* socket = new Network::NetSocket();
    socket->SetMgrSocketBase(this);
    socket->SetBinaryMode(true);
    if (!socket->Connect(_uAddress, static_cast<unsigned short>(_uPort), 0)) {
        delete socket;
        return -1;
    }
    return AddSocket(socket);
}

Console_Remote::Console_Remote(IMgrConsole* manager)
    : _pManager(manager), _pRemoteInterface(new (std::nothrow) RemoteInterface(this)), _pClient(nullptr),
      _iSocketId(-1)
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
    // the program keeps taking it.
    for (int pass = 0; _pClient && _pClient->HasPendingOutput() && pass < 2000; ++pass)
        _pClient->DoSelect(0, 1000, 0);
    delete _pClient;
    _pClient = nullptr;
    _iSocketId = -1;
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

bool Console_Remote::SendRecord(const char* bytes, std::size_t size)
{
    auto* packet = new (std::nothrow) Network::BinaryPacket(bytes, static_cast<std::uint32_t>(size));
    if (!packet)
        return false;
    if (!_pClient->Send(_iSocketId, packet)) {
        delete packet;
        return false;
    }
    return true;
}

void Console_Remote::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    if (!_pClient || _iSocketId == -1)
        return;
    const std::size_t length = text ? std::strlen(text) : 0;
    const std::size_t chunks = length <= kChunk ? 1 : length / kChunk + 1;
    const std::string header = "2 " + std::to_string(kind) + " " + std::to_string(level) + " " +
                               std::to_string(chunks) + " \r\n";
    if (!SendRecord(header.data(), header.size()))
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
        if (!SendRecord(record.data(), record.size()))
            return;
    }
    _pClient->DoSelect(0, 0, 1);
}

}  // namespace Vexir
