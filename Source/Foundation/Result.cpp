#include <Vexir/Result.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace Vexir {

bool Result::Add(Result& other)
{
    const std::vector<std::string> theirs = other._lMessages;  // also when other is this
    _lMessages.insert(_lMessages.end(), theirs.begin(), theirs.end());
    return true;
}

bool Result::Add(const char* format, ...)
{
    va_list args, measure;
    va_start(args, format);
    va_copy(measure, args);
    const int length = format ? std::vsnprintf(nullptr, 0, format, measure) : 0;
    va_end(measure);
    std::string message(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(&message[0], message.size() + 1, format, args);
    va_end(args);
    _lMessages.push_back(std::move(message));
    return true;
}

const std::string& Result::GetMessage(std::size_t index) const
{
    static const std::string s_empty;
    return index < _lMessages.size() ? _lMessages[index] : s_empty;
}

HashedString::HashedString(const char* const text) : _uIdent(HashName(text)), _pText(text) {}

unsigned long HashedString::HashName(const char* text)
{
    if (!text || !*text)
        return 0;
    const std::uint32_t kModulus = 65521;
    const std::size_t kChunk = 5552;
    std::uint32_t a = 0, b = 0;
    std::size_t left = std::char_traits<char>::length(text);
    const char* cursor = text;
    while (left > 0) {
        const std::size_t chunk = left < kChunk ? left : kChunk;
        for (std::size_t i = 0; i < chunk; ++i) {
            char c = cursor[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            a += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
        cursor += chunk;
        left -= chunk;
    }
    return static_cast<unsigned long>((b << 16) + a);
}

}  // namespace Vexir

const char* GetVexirVersionString()
{
    static const char* const s_version = "Parvon SDK " VEXIR_VERSION_TEXT;  // the build's version
    return s_version;
}

const char* GetVexirCopyrightString()
{
    static const char* const s_copyright = "Copyright (c) 2026 the VexirCore developers. All rights reserved.";
    return s_copyright;
}
