#include "RecordReader.h"

#include <cctype>
#include <utility>

namespace RemoteConsole {

namespace {

const long kLargestChunk = 225;
// The chunks of the longest message taken: 224 characters each, and one more
// for the terminating zero when the text fills its last chunk.
const long kMostChunks = static_cast<long>(kLargestText / 224 + 1);

// Reads a decimal number of at most nine digits and the blank after it.
bool ReadNumber(const std::string& text, std::size_t& at, long& value)
{
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 9)
        value = value * 10 + (text[at++] - '0');
    if (at == start || at >= text.size() || text[at] != ' ')
        return false;
    ++at;
    return true;
}

bool EndsRecord(const std::string& text, std::size_t at) { return text.compare(at, std::string::npos, "\r\n") == 0; }

}  // namespace

bool RecordReader::ReadHeader(const std::string& record, std::string& error)
{
    std::size_t at = 2;
    long kind = 0, level = 0, chunks = 0;
    if (record.compare(0, 2, "2 ") != 0 || !ReadNumber(record, at, kind) || !ReadNumber(record, at, level) ||
        !ReadNumber(record, at, chunks) || !EndsRecord(record, at)) {
        error = "a malformed header record";
        return false;
    }
    if (kind > 2 || chunks < 1) {
        error = "a header with kind " + std::to_string(kind) + " and " + std::to_string(chunks) + " chunks";
        return false;
    }
    if (chunks > kMostChunks) {
        error = "a header announcing " + std::to_string(chunks) + " chunks, more than a message of 1 MiB takes";
        return false;
    }
    _message = Message{static_cast<int>(kind), static_cast<int>(level), std::string()};
    _iChunksLeft = chunks;
    return true;
}

bool RecordReader::ReadChunk(const std::string& record, std::string& error)
{
    std::size_t at = 2;
    long count = 0;
    if (record.compare(0, 2, "3 ") != 0 || !ReadNumber(record, at, count) || count < 1 ||
        count > kLargestChunk || record.size() != at + static_cast<std::size_t>(count) + 3 ||
        record.compare(at + static_cast<std::size_t>(count), 3, " \r\n") != 0) {
        error = "a malformed chunk record";
        return false;
    }
    if (_message.text.size() + static_cast<std::size_t>(count) - 1 > kLargestText) {
        error = "a message longer than 1 MiB";
        return false;
    }
    const bool last = _iChunksLeft == 1;
    const char after = record[at + static_cast<std::size_t>(count) - 1];
    if (last && after != '\0') {
        error = "a last chunk without its terminating zero";
        return false;
    }
    if (!last && count != kLargestChunk) {
        error = "a short chunk before the last";
        return false;
    }
    // The chunk's own characters; its last byte is the next chunk's first.
    _message.text.append(record, at, static_cast<std::size_t>(count) - 1);
    --_iChunksLeft;
    return true;
}

std::optional<Message> RecordReader::Feed(const unsigned char* bytes, std::size_t size, std::string& error)
{
    const std::string record(reinterpret_cast<const char*>(bytes), size);
    if (_iChunksLeft == 0) {
        ReadHeader(record, error);
        return std::nullopt;
    }
    if (!ReadChunk(record, error) || _iChunksLeft > 0)
        return std::nullopt;
    // Handed over, not copied: a reader between messages holds no text.
    std::optional<Message> whole(std::move(_message));
    _message = Message();
    return whole;
}

}  // namespace RemoteConsole
