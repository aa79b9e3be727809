// Reassembles the remote console's messages from its records: a header
// "2 KIND LEVEL CHUNKS \r\n", then CHUNKS records "3 COUNT BYTES \r\n" whose last
// byte repeats the next chunk's first one (or is the terminating zero).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace RemoteConsole {

// The longest message text taken; a client that announces or sends more is
// dropped, so one connection cannot make the program hold more than this.
const std::size_t kLargestText = 1u << 20;

struct Message {
    int kind = 0;
    int level = 0;
    std::string text;
};

class RecordReader {
public:
    // Takes one record (a packet's payload). Returns a message once its last
    // chunk is in. On a malformed record, `error` says what was wrong and the
    // reader must not be fed again.
    std::optional<Message> Feed(const unsigned char* record, std::size_t size, std::string& error);
    // Between a header and the message's last chunk.
    bool InMessage() const { return _iChunksLeft > 0; }

private:
    bool ReadHeader(const std::string& record, std::string& error);
    bool ReadChunk(const std::string& record, std::string& error);

    Message _message;
    long _iChunksLeft = 0;
};

}  // namespace RemoteConsole
