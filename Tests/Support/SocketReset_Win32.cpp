#include "SocketReset.h"

#include <winsock2.h>

namespace VexirTest {

void ResetWhenClosed(Vexir::Network::SocketHandle socket)
{
    const linger abort{1, 0};
    setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
               sizeof abort);
}

void StopSending(Vexir::Network::SocketHandle socket) { shutdown(static_cast<SOCKET>(socket), SD_SEND); }

}  // namespace VexirTest
