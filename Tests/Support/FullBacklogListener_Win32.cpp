#include "FullBacklogListener.h"

#include <winsock2.h>

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
bool ConnectsWithin(SOCKET socket, const sockaddr_in& where, int milliseconds)
{
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0)
        return true;
    fd_set writes;
    FD_ZERO(&writes);
    FD_SET(socket, &writes);
    timeval limit{0, milliseconds * 1000};
    return select(0, nullptr, &writes, nullptr, &limit) == 1;
}

}  // namespace

FullBacklogListener::FullBacklogListener(unsigned int address, unsigned short port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    _hListener = static_cast<std::uintptr_t>(listener);
    sockaddr_in where = AddressOf(address, port);
    int length = sizeof where;
    if (bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(listener, 0) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return;
    _uPort = ntohs(where.sin_port);
    // The system takes a connection or two into even the smallest queue.
    for (int filler = 0; filler < 16 && !_bFull; ++filler) {
        const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        _lFillers.push_back(static_cast<std::uintptr_t>(socket));
        _bFull = !ConnectsWithin(socket, where, 300);
    }
}

FullBacklogListener::~FullBacklogListener()
{
    Close();
    WSACleanup();
}

void FullBacklogListener::Close()
{
    for (std::uintptr_t socket : _lFillers)
        closesocket(static_cast<SOCKET>(socket));
    _lFillers.clear();
    if (static_cast<SOCKET>(_hListener) != INVALID_SOCKET)
        closesocket(static_cast<SOCKET>(_hListener));
    _hListener = static_cast<std::uintptr_t>(INVALID_SOCKET);
}

}  // namespace VexirTest
