#include <Vexir/Assert.h>
#include <Vexir/Network/Sockets.h>

#include "Network/SocketApi.h"

namespace Vexir {
namespace Network {

NetListenSocket::NetListenSocket() : _uPort(0) {}

NetListenSocket::NetListenSocket(unsigned short port) : _uPort(0) { Init(port); }

NetListenSocket::~NetListenSocket() = default;

void NetListenSocket::Init(unsigned short port) { Init(0u, port); }

void NetListenSocket::Init(unsigned int address, unsigned short port)
{
    _hSocket = CreateStreamSocket();
    if (_hSocket == kInvalidSocket) {
        CORE_ASSERT_MSG(0, "Failed to create network socket");
        return;
    }
    // The caller learns why from GetLastSocketError, so the error of the call
    // that failed outlives the close and the assertion's own output.
    int error = 0;
    if (!SetReuseAddress(_hSocket)) {
        error = LastSocketError();
        CloseConnection();
        CORE_ASSERT_MSG(0, "Failed to set socket option");
    } else if (!BindTo(_hSocket, address, port)) {
        error = LastSocketError();
        CloseConnection();
        CORE_ASSERT_MSG(0, "Failed to bind socket to port");
    } else {
        SetBlocking(0);
        if (!ListenOn(_hSocket, 256)) {
            error = LastSocketError();
            CloseConnection();
            CORE_ASSERT_MSG(0, "Socket error when attemping to listen to the socket");
        }
    }
    if (error != 0) {
        SetLastSocketError(error);
        return;
    }
    // The port actually bound, which tells the caller of port 0 where it is.
    _uPort = BoundPort(_hSocket);
}

SocketHandle NetListenSocket::AcceptConnection(unsigned int* peer)
{
    unsigned int address = 0;
    const SocketHandle accepted = AcceptFrom(_hSocket, &address);
    if (accepted != kInvalidSocket && peer)
        *peer = address;
    return accepted;
}


}  // namespace Network
}  // namespace Vexir
