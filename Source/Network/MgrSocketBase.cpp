#include <Vexir/Assert.h>
#include <Vexir/Network/Sockets.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Foundation/AutoMutexLock.h"
#include "Network/SocketApi.h"

namespace Vexir {
namespace Network {

namespace {

bool Marked(const NetSocket* socket) { return (socket->GetState() & 1) != 0; }

}  // namespace

MgrSocketBase::MgrSocketBase()
    : _bStarted(false), _iNextId(0), _uBytesReceived(0), _uBytesSent(0), _uPeakSockets(0), _uSubnetMask(0),
      _uSubnetNetwork(0xFFFFFFFFu)
{
}

MgrSocketBase::~MgrSocketBase() { Shutdown(); }

void MgrSocketBase::OnSocketClosing(NetSocket*) {}

bool MgrSocketBase::Init()
{
    if (!StartSocketLibrary()) {
        CORE_ASSERT_MSG(0, "WSAStartup failure");
        return false;
    }
    _bStarted = true;
    return true;
}

int MgrSocketBase::AddSocket(NetSocket* socket)
{
    AutoMutexLock lock(&_mLock);
    socket->_iId = _iNextId;
    _lSockets.push_back(socket);
    if (_lSockets.size() > _uPeakSockets)
        _uPeakSockets = static_cast<unsigned int>(_lSockets.size());
    _mSocketsById[_iNextId] = socket;
    return _iNextId++;
}

void MgrSocketBase::RemoveSocket(NetSocket* socket)
{
    AutoMutexLock lock(&_mLock);
    _lSockets.remove(socket);
    const auto entry = _mSocketsById.find(socket->GetID());
    if (entry != _mSocketsById.end() && entry->second == socket)
        _mSocketsById.erase(entry);
    delete socket;
}

bool MgrSocketBase::Send(int id, IPacket* packet)
{
    AutoMutexLock lock(&_mLock);
    const auto entry = _mSocketsById.find(id);
    if (entry == _mSocketsById.end() || !entry->second)
        return false;
    entry->second->QueueSend(packet, true);
    return true;
}

void MgrSocketBase::DoSelect(int timeoutSec, int timeoutUsec, int checkInput)
{
    AutoMutexLock lock(&_mLock);
    // The sockets taking part in this pass, in list order.
    std::vector<NetSocket*> taking;
    std::vector<SocketWait> waits;
    for (NetSocket* socket : _lSockets) {
        if (Marked(socket) || socket->_hSocket == kInvalidSocket)
            continue;
        taking.push_back(socket);
        waits.push_back({socket->_hSocket, checkInput != 0, socket->HasOutput() != 0});
    }
    // With nothing to wait for, the sockets marked for closing are still closed.
    const int ready = waits.empty() ? 0 : WaitForSockets(waits, timeoutSec, timeoutUsec);
    if (ready < 0)
        return;
    for (std::size_t i = 0; ready > 0 && i < taking.size(); ++i) {
        NetSocket* socket = taking[i];
        if (waits[i].exceptional)
            socket->HandleException();
        if (!Marked(socket) && waits[i].writable)
            socket->HandleOutput();
        if (checkInput && !Marked(socket) && waits[i].readable)
            socket->HandleInput();
    }

    const std::uint32_t now = SystemMilliseconds();
    std::vector<NetSocket*> removing;
    for (NetSocket* socket : _lSockets) {
        if (socket->_uDeadline != 0 && static_cast<std::int32_t>(socket->_uDeadline - now) < 0)
            socket->TimeOut();
        if (!Marked(socket))
            continue;
        OnSocketClosing(socket);
        if (socket->GetState() == NetSocket::Closing) {
            removing.push_back(socket);
        } else if (socket->GetState() == NetSocket::CloseKeep) {
            socket->SetState(NetSocket::ClosedKept);
            socket->CloseConnection();
        }
    }
    for (NetSocket* socket : removing)
        RemoveSocket(socket);
}

void MgrSocketBase::SetSubnet(unsigned int network, unsigned int mask)
{
    AutoMutexLock lock(&_mLock);
    _uSubnetNetwork = network;
    _uSubnetMask = mask;
}

bool MgrSocketBase::IsInternal(unsigned int address)
{
    AutoMutexLock lock(&_mLock);
    return _uSubnetMask != 0 && (address & _uSubnetMask) == _uSubnetNetwork;
}

unsigned int MgrSocketBase::GetHostByName(const std::string& name)
{
    unsigned int address = 0;
    if (!ResolveHost(name, address)) {
        CORE_ASSERT_MSG(0, "Error with GetHostByName");
        return 0;
    }
    return address;
}

const char* MgrSocketBase::GetHostByAddr(unsigned int address)
{
    static char s_aHostName[32];
    std::string name;
    if (!ReverseLookup(address, name))
        return nullptr;
    const std::size_t length = std::min(name.size(), sizeof s_aHostName - 1);
    std::memcpy(s_aHostName, name.data(), length);
    s_aHostName[length] = '\0';
    return s_aHostName;
}

void MgrSocketBase::Shutdown()
{
    AutoMutexLock lock(&_mLock);
    for (NetSocket* socket : _lSockets)
        delete socket;
    _lSockets.clear();
    _mSocketsById.clear();
    if (_bStarted)
        StopSocketLibrary();
    _bStarted = false;
}

unsigned int MgrSocketBase::GetBytesReceived() const
{
    AutoMutexLock lock(&_mLock);
    return _uBytesReceived;
}

unsigned int MgrSocketBase::GetBytesSent() const
{
    AutoMutexLock lock(&_mLock);
    return _uBytesSent;
}

unsigned int MgrSocketBase::GetPeakSocketCount() const
{
    AutoMutexLock lock(&_mLock);
    return _uPeakSockets;
}

std::size_t MgrSocketBase::GetSocketCount() const
{
    AutoMutexLock lock(&_mLock);
    return _lSockets.size();
}

}  // namespace Network
}  // namespace Vexir
