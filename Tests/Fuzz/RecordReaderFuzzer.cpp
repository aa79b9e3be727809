// The RemoteConsole program's record reader, two ways. Any records: each is
// taken or refused with a reason, a refused reader is not fed again, and no
// message is longer than the program takes. Any message, cut into records the
// way the library's remote console cuts it: it comes back whole, unchanged,
// from its last record and not before.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "RecordReader.h"

namespace {

using RemoteConsole::Message;
using RemoteConsole::RecordReader;

// A header, then chunks of 224 characters, each followed by the byte after
// it: the next chunk's first, or the terminating zero.
std::vector<std::string> RecordsOf(int kind, int level, const std::string& text)
{
    const std::size_t chunks = text.size() <= 224 ? 1 : text.size() / 224 + 1;
    std::vector<std::string> records{"2 " + std::to_string(kind) + " " + std::to_string(level) + " " +
                                     std::to_string(chunks) + " \r\n"};
    const std::string terminated = text + std::string(1, '\0');
    for (std::size_t i = 0; i < chunks; ++i) {
        const std::string bytes = terminated.substr(224 * i, std::min<std::size_t>(224, text.size() - 224 * i) + 1);
        records.push_back("3 " + std::to_string(bytes.size()) + " " + bytes + " \r\n");
    }
    return records;
}

std::optional<Message> Feed(RecordReader& reader, const std::string& record, std::string& error)
{
    return reader.Feed(reinterpret_cast<const unsigned char*>(record.data()), record.size(), error);
}

void CheckRoundTrip(FuzzedDataProvider& in)
{
    const int kind = in.ConsumeIntegralInRange(0, 2);
    const int level = in.ConsumeIntegralInRange(0, 5);
    const int copies = in.ConsumeIntegralInRange(1, 40);
    std::string once = in.ConsumeRemainingBytesAsString();
    once.resize(std::strlen(once.c_str()));  // the console sends C strings
    // Long texts come from repeating the input, to reach many chunks and the
    // lengths around whole chunks.
    std::string text;
    for (int i = 0; i < copies; ++i)
        text += once;

    RecordReader reader;
    const std::vector<std::string> records = RecordsOf(kind, level, text);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string error;
        const std::optional<Message> message = Feed(reader, records[i], error);
        FUZZ_CHECK(error.empty(), "record %zu of a well-formed message refused: %s", i, error.c_str());
        FUZZ_CHECK(message.has_value() == (i + 1 == records.size()), "record %zu of %zu gave a message: %d", i,
                   records.size(), message.has_value());
        if (message) {
            FUZZ_CHECK(message->kind == kind && message->level == level, "kind %d level %d", message->kind,
                       message->level);
            FUZZ_CHECK(message->text == text, "a text of %zu bytes came back as %zu", text.size(),
                       message->text.size());
        }
    }
    FUZZ_CHECK(!reader.InMessage(), "the reader still waits after the last chunk");
}

void CheckAnyRecords(FuzzedDataProvider& in)
{
    RecordReader reader;
    while (in.remaining_bytes() > 0) {
        const std::string record = in.ConsumeRandomLengthString(300);
        std::string error;
        const std::optional<Message> message = Feed(reader, record, error);
        if (!error.empty()) {
            FUZZ_CHECK(!message, "a refused record gave a message");
            return;
        }
        if (message)
            FUZZ_CHECK(message->text.size() <= RemoteConsole::kLargestText, "%zu bytes", message->text.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        CheckRoundTrip(in);
    else
        CheckAnyRecords(in);
    return 0;
}
