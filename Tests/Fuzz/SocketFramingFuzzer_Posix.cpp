// Any byte stream, in any cutting, into a socket in binary or text mode: the
// packets it cuts are exactly the frames (4-byte big-endian length, 4 to 256
// in all) or the carriage-return-ended lines the stream holds, in order; a
// frame length outside 4..256 closes the socket at once and nothing after it
// is cut, as does a line that outgrows the receive buffer; the rest of a frame
// or line still open when the peer closes is dropped. The stream arrives
// through a real socket pair, and pieces may repeat, so that streams far
// longer than the input fill and wrap the receive buffer.
#include <Vexir/Network/Sockets.h>

#include <fuzzer/FuzzedDataProvider.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"

using namespace Vexir::Network;

namespace {

class Receiver : public NetSocket {
public:
    Receiver(SocketHandle socket, bool binary) : NetSocket(socket, 0x7F000001u, nullptr, binary) {}
    std::vector<std::string> Taken()
    {
        std::vector<std::string> packets;
        for (IPacket* packet : _lInList)
            packets.emplace_back(reinterpret_cast<const char*>(packet->GetData()), packet->GetSize());
        return packets;
    }
};

struct Expected {
    std::vector<std::string> packets;
    NetSocket::CloseCause cause = NetSocket::PeerClosed;
};

Expected Cut(const std::string& stream, bool binary)
{
    Expected expected;
    std::size_t at = 0;
    while (at < stream.size()) {
        std::size_t length;
        if (binary) {
            if (stream.size() - at < 4)
                break;
            const auto* prefix = reinterpret_cast<const unsigned char*>(stream.data() + at);
            length = (std::size_t(prefix[0]) << 24) | (std::size_t(prefix[1]) << 16) | (std::size_t(prefix[2]) << 8) |
                     prefix[3];
            if (length < 4 || length > NetSocket::kLargestFrame) {
                expected.cause = NetSocket::FrameRefused;
                break;
            }
            if (length > stream.size() - at)
                break;
        } else {
            const std::size_t end = stream.find('\r', at);
            const std::size_t open = end == std::string::npos ? stream.size() - at : end - at;
            if (open >= NetSocket::kReceiveBufferSize) {
                expected.cause = NetSocket::LineTooLong;
                break;
            }
            if (end == std::string::npos)
                break;
            length = end - at + 1;
        }
        expected.packets.push_back(stream.substr(at, length));
        at += length;
    }
    return expected;
}

bool Open(const Receiver& receiver) { return receiver.GetCloseCause() == NetSocket::NotClosing; }

// Lets the receiver take everything waiting for it (or close).
void Drain(Receiver& receiver, int end)
{
    int waiting = 1;
    while (Open(receiver) && ioctl(end, FIONREAD, &waiting) == 0 && waiting > 0)
        receiver.HandleInput();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool binary = in.ConsumeBool();
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return 0;
    Receiver receiver(static_cast<SocketHandle>(ends[0]), binary);
    receiver.SetBlocking(0);
    fcntl(ends[1], F_SETFL, O_NONBLOCK);

    std::string stream;
    while (in.remaining_bytes() > 0 && Open(receiver)) {
        const int repeats = in.ConsumeBool() ? 1 : in.ConsumeIntegralInRange(1, 400);
        const std::string piece = in.ConsumeRandomLengthString(600);
        for (int r = 0; r < repeats && !piece.empty() && Open(receiver); ++r) {
            for (std::size_t sent = 0; sent < piece.size() && Open(receiver);) {
                const ssize_t wrote = write(ends[1], piece.data() + sent, piece.size() - sent);
                if (wrote > 0) {
                    stream.append(piece, sent, static_cast<std::size_t>(wrote));
                    sent += static_cast<std::size_t>(wrote);
                }
                Drain(receiver, ends[0]);
            }
        }
    }
    close(ends[1]);
    for (int pass = 0; pass < 4 && Open(receiver); ++pass)
        receiver.HandleInput();

    const Expected expected = Cut(stream, binary);
    const std::vector<std::string> taken = receiver.Taken();
    FUZZ_CHECK(receiver.GetCloseCause() == expected.cause, "closed for cause %d, expected %d",
               static_cast<int>(receiver.GetCloseCause()), static_cast<int>(expected.cause));
    FUZZ_CHECK(taken.size() == expected.packets.size(), "%zu packets cut, expected %zu", taken.size(),
               expected.packets.size());
    for (std::size_t i = 0; i < taken.size(); ++i)
        FUZZ_CHECK(taken[i] == expected.packets[i], "packet %zu differs", i);
    return 0;
}
