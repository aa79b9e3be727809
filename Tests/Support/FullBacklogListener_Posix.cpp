#include "FullBacklogListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace VexirTest {

namespace {

sockaddr_in AddressOf(unsigned int address, unsigned short port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address);
    where.sin_port = htons(port);
    return where;
}

// A connection started without waiting; true when it was made within the time.
bool ConnectsWithin(int fd, const sockaddr_in& where, int milliseconds)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0)
        return true;
    pollfd wait{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    return poll(&wait, 1, milliseconds) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
           error == 0;
}

}  // namespace

FullBacklogListener::FullBacklogListener(unsigned int address, unsigned short port)
    : _hListener(static_cast<std::uintptr_t>(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)))
{
    const int listener = static_cast<int>(_hListener);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where = AddressOf(address, port);
    socklen_t length = sizeof where;
    if (bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(listener, 0) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return;
    _uPort = ntohs(where.sin_port);
    // The system takes a connection or two into even the smallest queue.
    for (int filler = 0; filler < 16 && !_bFull; ++filler) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        _lFillers.push_back(static_cast<std::uintptr_t>(fd));
        _bFull = !ConnectsWithin(fd, where, 300);
    }
}

FullBacklogListener::~FullBacklogListener() { Close(); }

void FullBacklogListener::Close()
{
    for (std::uintptr_t fd : _lFillers)
        close(static_cast<int>(fd));
    _lFillers.clear();
    if (static_cast<int>(_hListener) >= 0)
        close(static_cast<int>(_hListener));
    _hListener = static_cast<std::uintptr_t>(-1);
}

}  // namespace VexirTest
