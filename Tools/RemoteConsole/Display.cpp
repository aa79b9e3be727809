#include "Display.h"

#include <algorithm>

namespace RemoteConsole {

namespace {

const char* const kMarks[] = {"[S]", "[E]", "[W]", "[I]", "[V]", "[D]"};
const char* const kColours[] = {"\033[37m", "\033[31m", "\033[35m", "\033[32m", "\033[36m", "\033[90m"};

void AppendEscape(std::string& out, const char* prefix, unsigned value, int digits)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

// The length of the valid UTF-8 sequence at text[at] (2 to 4 bytes) and the
// code point it holds, or 0.
std::size_t SequenceLength(const std::string& text, std::size_t at, unsigned& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    unsigned lowest;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, lowest = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, lowest = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, lowest = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (byte(at + i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < lowest || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

// Characters that are shown as nothing, or that reorder or break the text
// around them: "user=\u202E nimda" must not read "user=admin".
bool HidesOrReorders(unsigned codePoint)
{
    return (codePoint >= 0x80 && codePoint <= 0x9F) ||      // C1 controls
           codePoint == 0xAD ||                              // soft hyphen
           codePoint == 0x061C ||                            // Arabic letter mark
           codePoint == 0x180E ||                            // Mongolian vowel separator
           (codePoint >= 0x200B && codePoint <= 0x200F) ||   // zero-width space, joiners, direction marks
           (codePoint >= 0x2028 && codePoint <= 0x202E) ||   // line and paragraph separators, embeddings, overrides
           (codePoint >= 0x2060 && codePoint <= 0x206F) ||   // word joiner, invisible operators, isolates
           codePoint == 0xFEFF ||                            // zero-width no-break space (byte order mark)
           (codePoint >= 0xFFF9 && codePoint <= 0xFFFB);     // interlinear annotation marks
}

}  // namespace

std::string Visible(const std::string& text, const std::string& continuation)
{
    std::string out;
    out.reserve(text.size());
    std::size_t end = text.size();
    if (end > 0 && text[end - 1] == '\n')
        end -= end > 1 && text[end - 2] == '\r' ? 2 : 1;
    for (std::size_t at = 0; at < end;) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte == '\n' || (byte == '\r' && at + 1 < end && text[at + 1] == '\n')) {
            out += '\n';
            out += continuation;
            at += byte == '\r' ? 2 : 1;
        } else if (byte == '\t' || (byte >= 0x20 && byte < 0x7F)) {
            out += static_cast<char>(byte);
            ++at;
        } else if (byte < 0x80) {
            AppendEscape(out, "\\x", byte, 2);
            ++at;
        } else if (unsigned codePoint = 0; const std::size_t length = SequenceLength(text, at, codePoint)) {
            if (HidesOrReorders(codePoint))
                AppendEscape(out, "\\u", codePoint, 4);
            else
                out.append(text, at, length);
            at += length;
        } else {
            AppendEscape(out, "\\x", byte, 2);
            ++at;
        }
    }
    return out;
}

std::string DottedAddress(unsigned int address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

void Display::Connected(int client, unsigned int address)
{
    Client& shown = _mClients[client];
    shown.tag = "[" + std::to_string(client) + " " + DottedAddress(address) + "] ";
    const std::string line = shown.tag + "connected\n";
    Write(line, line);
}

void Display::Left(int client, const std::string& how)
{
    const auto found = _mClients.find(client);
    if (found == _mClients.end())
        return;
    const std::string line = found->second.tag + how + "\n";
    _mClients.erase(found);
    Write(line, line);
}

void Display::Show(int client, const Message& message)
{
    Client& shown = _mClients[client];
    const bool known = message.level >= 0 && message.level <= 5;
    const char* mark = known ? kMarks[message.level] : "[?]";
    // A block's closing line stands at the depth of its content.
    const std::string indent(static_cast<std::size_t>(std::min<long long>(shown.depth, kDeepestShown)) * 4, ' ');
    if (message.kind == 1)
        ++shown.depth;
    else if (message.kind == 2 && shown.depth > 0)
        --shown.depth;
    // Later lines of a message are set off by a fixed margin, not by the
    // block's indentation: a client's line ends must not multiply its output.
    const std::string text = indent + mark + " " + Visible(message.text, shown.tag + "    ");
    const std::string line = shown.tag + text + "\n";
    if (_bColour && known)
        Write(line, shown.tag + kColours[message.level] + text + "\033[0m\n");
    else
        Write(line, line);
}

void Display::Write(const std::string& plain, const std::string& coloured)
{
    _view.Write(_bColour ? coloured : plain);
    if (_pLog) {
        std::fwrite(plain.data(), 1, plain.size(), _pLog);
        std::fflush(_pLog);
    }
}

}  // namespace RemoteConsole
