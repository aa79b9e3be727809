// Linux layer of the socket classes: BSD sockets, poll (no limit on descriptor
// numbers), errno mapped to the Windows Sockets codes.
#include "Network/SocketApi.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace Vexir {
namespace Network {

namespace {

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

sockaddr_in AddressOf(unsigned int address, unsigned short port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address);
    where.sin_port = htons(port);
    return where;
}

int MapError(int error)
{
    switch (error) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return kWouldBlock;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EMSGSIZE: return 10040;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case EPIPE: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return error;
    }
}

thread_local int s_iLastError = 0;

int Failed()
{
    s_iLastError = MapError(errno);
    return -1;
}

}  // namespace

bool StartSocketLibrary() { return true; }
void StopSocketLibrary() {}

SocketHandle CreateStreamSocket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        Failed();
        return kInvalidSocket;
    }
    return static_cast<SocketHandle>(fd);
}

void CloseSocketHandle(SocketHandle socket)
{
    if (socket != kInvalidSocket)
        ::close(Fd(socket));
}

bool SetNoDelay(SocketHandle socket)
{
    const int on = 1;
    return setsockopt(Fd(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

bool SetReuseAddress(SocketHandle socket)
{
    const int on = 1;
    return setsockopt(Fd(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0;
}

// Closing does not wait for unsent data, as without lingering on Windows.
void SetDontLinger(SocketHandle socket)
{
    const linger off{0, 0};
    setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &off, sizeof off);
}

bool SetNonBlocking(SocketHandle socket, bool nonBlocking)
{
    const int flags = fcntl(Fd(socket), F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(Fd(socket), F_SETFL, nonBlocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

bool BindTo(SocketHandle socket, unsigned int address, unsigned short port)
{
    const sockaddr_in where = AddressOf(address, port);
    return ::bind(Fd(socket), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 || Failed() == 0;
}

bool ListenOn(SocketHandle socket, int backlog) { return ::listen(Fd(socket), backlog) == 0 || Failed() == 0; }

unsigned short BoundPort(SocketHandle socket)
{
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return 0;
    return ntohs(where.sin_port);
}

SocketHandle AcceptFrom(SocketHandle socket, unsigned int* peer)
{
    // An accepted socket takes the listener's blocking mode, as on Windows, so
    // a server driven by one thread is never stalled by one client.
    const int listenerFlags = fcntl(Fd(socket), F_GETFL, 0);
    const int inherited = listenerFlags >= 0 && (listenerFlags & O_NONBLOCK) ? SOCK_NONBLOCK : 0;
    const int fd = ::accept4(Fd(socket), nullptr, nullptr, SOCK_CLOEXEC | inherited);
    if (fd < 0) {
        Failed();
        return kInvalidSocket;
    }
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        Failed();
        ::close(fd);
        return kInvalidSocket;
    }
    if (peer)
        *peer = ntohl(where.sin_addr.s_addr);
    return static_cast<SocketHandle>(fd);
}

namespace {

// Waits for a connect in progress; 0 when it is made, else the errno why not.
int AwaitConnection(int fd, int milliseconds)
{
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long spent = (now.tv_sec - start.tv_sec) * 1000ll + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (spent >= milliseconds)
            return ETIMEDOUT;
        pollfd wait{fd, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(milliseconds - spent));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return errno;
        return error;
    }
}

}  // namespace

// A blocking connect to an address that drops the handshake, or to a listener
// whose queue is full, would wait for the system's retries, over two minutes.
bool ConnectTo(SocketHandle socket, unsigned int address, unsigned short port, int milliseconds)
{
    const int fd = Fd(socket);
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return Failed() == 0;
    const sockaddr_in where = AddressOf(address, port);
    int error = ::connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 ? 0 : errno;
    if (error == EINPROGRESS || error == EINTR)
        error = AwaitConnection(fd, milliseconds);
    fcntl(fd, F_SETFL, flags);
    if (error == 0)
        return true;
    errno = error;
    return Failed() == 0;
}

int ReceiveBytes(SocketHandle socket, unsigned char* buffer, std::size_t size)
{
    const ssize_t got = ::recv(Fd(socket), buffer, size, 0);
    return got >= 0 ? static_cast<int>(got) : Failed();
}

int SendBytes(SocketHandle socket, const unsigned char* data, std::size_t size)
{
    const ssize_t sent = ::send(Fd(socket), data, size, MSG_NOSIGNAL);
    return sent >= 0 ? static_cast<int>(sent) : Failed();
}

int LastSocketError() { return s_iLastError; }

void SetLastSocketError(int code) { s_iLastError = code; }

namespace {

long long MonotonicMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000ll + now.tv_nsec / 1000000;
}

// What a poll result means in select's terms: a socket is reported only for
// the sets it was put in. A closed or failed connection is readable (the
// receive tells what happened) and writable (the send does) when it was
// waited on for that.
void ReadResult(SocketWait& wait, short seen)
{
    wait.readable = wait.wantRead && (seen & (POLLIN | POLLHUP | POLLERR)) != 0;
    wait.writable = wait.wantWrite && (seen & (POLLOUT | POLLHUP | POLLERR)) != 0;
    wait.exceptional = (seen & (POLLPRI | POLLNVAL)) != 0;
}

bool Ready(const SocketWait& wait) { return wait.readable || wait.writable || wait.exceptional; }

}  // namespace

int WaitForSockets(std::vector<SocketWait>& sockets, int timeoutSec, int timeoutUsec)
{
    // An empty wait is an error, as select with three empty sets is on Windows.
    if (sockets.empty()) {
        s_iLastError = 10022;
        return -1;
    }
    std::vector<pollfd> polls(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        polls[i].fd = Fd(sockets[i].socket);
        polls[i].events = static_cast<short>((sockets[i].wantRead ? POLLIN : 0) | (sockets[i].wantWrite ? POLLOUT : 0) |
                                             POLLPRI);
    }
    const long long limit =
        timeoutSec < 0 ? -1 : static_cast<long long>(timeoutSec) * 1000 + (timeoutUsec + 999) / 1000;
    const long long deadline = MonotonicMilliseconds() + limit;
    for (;;) {
        const long long left = limit < 0 ? -1 : std::max(0ll, deadline - MonotonicMilliseconds());
        const int polled = ::poll(polls.data(), polls.size(), static_cast<int>(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0)
            return Failed();
        int ready = 0;
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            ReadResult(sockets[i], polls[i].revents);
            if (Ready(sockets[i]))
                ++ready;
            else if (polls[i].revents != 0)
                polls[i].fd = ~polls[i].fd;  // poll reports a hang-up it was not asked about: it sits out this wait
        }
        // Select would not have returned for what poll reported unasked, and
        // would wait out its time: so does this wait, instead of returning at
        // once for nothing at every pass.
        if (ready > 0 || polled == 0 || left == 0)
            return ready;
    }
}

std::uint32_t SystemMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000ull + static_cast<unsigned long long>(now.tv_nsec) / 1000000);
}

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
