// Peers that misbehave: one that vanishes abruptly, one that stops talking
// but goes on listening.
#pragma once

#include <Vexir/Network/Sockets.h>

namespace VexirTest {

// Closing the socket afterwards resets the connection (RST) instead of
// ending it, and drops whatever it had not read.
void ResetWhenClosed(Vexir::Network::SocketHandle socket);
// Shuts down the sending side (the other end reads the end of the stream)
// and goes on receiving, as a relay or a listener whose input ended does.
void StopSending(Vexir::Network::SocketHandle socket);

}  // namespace VexirTest
