#include "SocketReset.h"

#include <sys/socket.h>

namespace VexirTest {

void ResetWhenClosed(Vexir::Network::SocketHandle socket)
{
    const linger abort{1, 0};
    setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

void StopSending(Vexir::Network::SocketHandle socket) { shutdown(static_cast<int>(socket), SHUT_WR); }

}  // namespace VexirTest
