// Windows layer of the socket classes: Windows Sockets 2.2 and select.
//
// A select set holds FD_SETSIZE sockets, 64 unless said otherwise before the
// first Windows Sockets header; a server with more clients than that would
// never hear from the rest, so the sets here are made larger.
#define FD_SETSIZE 1024
#include "Network/SocketApi.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

namespace Vexir {
namespace Network {

namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

sockaddr_in AddressOf(unsigned int address, unsigned short port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address);
    where.sin_port = htons(port);
    return where;
}

}  // namespace

bool StartSocketLibrary()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void StopSocketLibrary() { WSACleanup(); }

SocketHandle CreateStreamSocket()
{
    const SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return created == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(created);
}

void CloseSocketHandle(SocketHandle socket)
{
    if (socket != kInvalidSocket)
        closesocket(Native(socket));
}

bool SetNoDelay(SocketHandle socket)
{
    const int on = 1;
    return setsockopt(Native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) == 0;
}

// Windows binds a port whose old connections are still closing without help,
// which is all SO_REUSEADDR is asked for elsewhere. On Windows that option
// would also let a second listener bind the port and take its connections, so
// that it would never be told the port is in use; and SO_EXCLUSIVEADDRUSE would
// refuse a restart until the previous run's connections have timed out. So
// the listener binds plainly.
bool SetReuseAddress(SocketHandle) { return true; }

void SetDontLinger(SocketHandle socket) { setsockopt(Native(socket), SOL_SOCKET, SO_DONTLINGER, nullptr, 0); }

bool SetNonBlocking(SocketHandle socket, bool nonBlocking)
{
    u_long mode = nonBlocking ? 1 : 0;
    return ioctlsocket(Native(socket), FIONBIO, &mode) == 0;
}

bool BindTo(SocketHandle socket, unsigned int address, unsigned short port)
{
    const sockaddr_in where = AddressOf(address, port);
    return ::bind(Native(socket), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
}

bool ListenOn(SocketHandle socket, int backlog) { return ::listen(Native(socket), backlog) == 0; }

unsigned short BoundPort(SocketHandle socket)
{
    sockaddr_in where{};
    int length = sizeof where;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return 0;
    return ntohs(where.sin_port);
}

SocketHandle AcceptFrom(SocketHandle socket, unsigned int* peer)
{
    const SOCKET accepted = ::accept(Native(socket), nullptr, nullptr);
    if (accepted == INVALID_SOCKET)
        return kInvalidSocket;
    sockaddr_in where{};
    int length = sizeof where;
    if (getpeername(accepted, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        closesocket(accepted);
        return kInvalidSocket;
    }
    if (peer)
        *peer = ntohl(where.sin_addr.s_addr);
    return static_cast<SocketHandle>(accepted);
}

namespace {

// Waits for a connect in progress; 0 when it is made, else the error why not.
int AwaitConnection(SOCKET socket, int milliseconds)
{
    fd_set writes, failures;
    FD_ZERO(&writes);
    FD_ZERO(&failures);
    FD_SET(socket, &writes);
    FD_SET(socket, &failures);
    timeval limit{milliseconds / 1000, milliseconds % 1000 * 1000};
    const int ready = ::select(0, nullptr, &writes, &failures, &limit);
    if (ready == SOCKET_ERROR)
        return WSAGetLastError();
    if (ready == 0)
        return WSAETIMEDOUT;
    if (FD_ISSET(socket, &writes))
        return 0;
    int error = 0;
    int length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return WSAGetLastError();
    return error != 0 ? error : WSAECONNREFUSED;
}

}  // namespace

// A blocking connect to an address that drops the handshake, or to a listener
// whose queue is full, would wait for the system's retries, tens of seconds.
// Only sockets fresh from CreateStreamSocket are connected, and those block.
bool ConnectTo(SocketHandle socket, unsigned int address, unsigned short port, int milliseconds)
{
    const SOCKET native = Native(socket);
    if (!SetNonBlocking(socket, true))
        return false;
    const sockaddr_in where = AddressOf(address, port);
    int error = ::connect(native, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 ? 0 : WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        error = AwaitConnection(native, milliseconds);
    SetNonBlocking(socket, false);
    WSASetLastError(error);
    return error == 0;
}

int ReceiveBytes(SocketHandle socket, unsigned char* buffer, std::size_t size)
{
    const int got = ::recv(Native(socket), reinterpret_cast<char*>(buffer), static_cast<int>(size), 0);
    return got == SOCKET_ERROR ? -1 : got;
}

int SendBytes(SocketHandle socket, const unsigned char* data, std::size_t size)
{
    const int sent = ::send(Native(socket), reinterpret_cast<const char*>(data), static_cast<int>(size), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int LastSocketError() { return WSAGetLastError(); }

void SetLastSocketError(int code) { WSASetLastError(code); }

int WaitForSockets(std::vector<SocketWait>& sockets, int timeoutSec, int timeoutUsec)
{
    fd_set reads, writes, exceptions;
    FD_ZERO(&reads);
    FD_ZERO(&writes);
    FD_ZERO(&exceptions);
    for (const SocketWait& wait : sockets) {
        if (wait.wantRead && reads.fd_count < FD_SETSIZE)
            FD_SET(Native(wait.socket), &reads);
        if (wait.wantWrite && writes.fd_count < FD_SETSIZE)
            FD_SET(Native(wait.socket), &writes);
        if (exceptions.fd_count < FD_SETSIZE)
            FD_SET(Native(wait.socket), &exceptions);
    }
    timeval limit{timeoutSec, timeoutUsec};
    // With three empty sets select fails at once (WSAEINVAL).
    const int ready = ::select(0, &reads, &writes, &exceptions, &limit);
    if (ready == SOCKET_ERROR)
        return -1;
    for (SocketWait& wait : sockets) {
        wait.readable = FD_ISSET(Native(wait.socket), &reads) != 0;
        wait.writable = FD_ISSET(Native(wait.socket), &writes) != 0;
        wait.exceptional = FD_ISSET(Native(wait.socket), &exceptions) != 0;
    }
    return ready;
}

std::uint32_t SystemMilliseconds() { return timeGetTime(); }

bool ResolveHost(const std::string& name, unsigned int& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* results = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0 || !results)
        return false;
    address = ntohl(reinterpret_cast<const sockaddr_in*>(results->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(results);
    return true;
}

bool ReverseLookup(unsigned int address, std::string& name)
{
    const sockaddr_in where = AddressOf(address, 0);
    char host[NI_MAXHOST];
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&where), sizeof where, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0)
        return false;
    name = host;
    return true;
}

}  // namespace Network
}  // namespace Vexir
