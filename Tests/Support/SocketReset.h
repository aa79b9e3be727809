// A peer that vanishes abruptly: closing the socket afterwards resets the
// connection (RST) instead of ending it, and drops whatever it had not read.
#pragma once

#include <Vexir/Network/Sockets.h>

namespace VexirTest {

void ResetWhenClosed(Vexir::Network::SocketHandle socket);

}  // namespace VexirTest
