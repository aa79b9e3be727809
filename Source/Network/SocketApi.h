// What the operating system does for the socket classes: Windows Sockets on
// Windows, BSD sockets and poll on Linux, with errors as Windows Sockets codes.
#pragma once

#include <Vexir/Network/Sockets.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vexir {
namespace Network {

const int kWouldBlock = 10035;

bool StartSocketLibrary();
void StopSocketLibrary();

SocketHandle CreateStreamSocket();
void CloseSocketHandle(SocketHandle socket);
bool SetNoDelay(SocketHandle socket);
bool SetReuseAddress(SocketHandle socket);
void SetDontLinger(SocketHandle socket);
bool SetNonBlocking(SocketHandle socket, bool nonBlocking);
bool BindTo(SocketHandle socket, unsigned int address, unsigned short port);
bool ListenOn(SocketHandle socket, int backlog);
unsigned short BoundPort(SocketHandle socket);
SocketHandle AcceptFrom(SocketHandle socket, unsigned int* peer);
// Connects, waiting at most `milliseconds` for the connection to be made or
// refused (10060, timed out, after that); the socket's blocking mode is kept.
bool ConnectTo(SocketHandle socket, unsigned int address, unsigned short port, int milliseconds);
// Bytes moved, 0 for an orderly close (receive), -1 for an error.
int ReceiveBytes(SocketHandle socket, unsigned char* buffer, std::size_t size);
int SendBytes(SocketHandle socket, const unsigned char* data, std::size_t size);
// The last socket error as a Windows Sockets code.
int LastSocketError();
void SetLastSocketError(int code);

struct SocketWait {
    SocketHandle socket;
    bool wantRead, wantWrite;
    bool readable = false, writable = false, exceptional = false;
};
// Waits until one socket is ready or the time runs out: the count of ready
// sockets, 0 at the time limit, -1 on error (also for an empty list).
int WaitForSockets(std::vector<SocketWait>& sockets, int timeoutSec, int timeoutUsec);

// Milliseconds of a clock that only moves forward.
std::uint32_t SystemMilliseconds();

bool ResolveHost(const std::string& name, unsigned int& address);
bool ReverseLookup(unsigned int address, std::string& name);

}  // namespace Network
}  // namespace Vexir
