// Linux conversion: a strict UTF-8 decoder and UTF-16/UTF-32 encoders that
// accept and reject exactly what Windows' strict UTF-8 decoding does.
// wchar_t holds one code point here.
#include <Vexir/Utf8Util.h>

#include <cerrno>

#include "Foundation/Utf8Conversion.h"

namespace utf8util {
namespace detail {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool IsSurrogate(char32_t codePoint) { return codePoint >= 0xD800 && codePoint <= 0xDFFF; }

// Decodes one code point at `cursor`, advancing it. The second byte's range
// excludes overlong forms, encoded surrogates and values above U+10FFFF.
bool DecodeOne(const unsigned char*& cursor, const unsigned char* end, char32_t& codePoint)
{
    const unsigned char lead = *cursor;
    int trailing;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) {
        codePoint = lead;
        ++cursor;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return false;
    }
    if (end - cursor <= trailing)
        return false;
    if (cursor[1] < low || cursor[1] > high)
        return false;
    for (int i = 1; i <= trailing; ++i) {
        if (!IsContinuation(cursor[i]))
            return false;
        codePoint = (codePoint << 6) | (cursor[i] & 0x3F);
    }
    cursor += trailing + 1;
    return true;
}

template <typename Sink>
void DecodeAll(const char* text, std::size_t length, Sink&& sink)
{
    const auto* cursor = reinterpret_cast<const unsigned char*>(text);
    const auto* end = cursor + length;
    while (cursor < end) {
        char32_t codePoint;
        if (!DecodeOne(cursor, end, codePoint))
            throw utf8_conversion_error(kInvalidUtf8, utf8_conversion_error::Utf8ToUtf16Direction, EILSEQ);
        sink(codePoint);
    }
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint > 0x10FFFF || IsSurrogate(codePoint))
        codePoint = kReplacement;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

std::wstring Utf8ToWide(const char* text, std::size_t length)
{
    std::wstring wide;
    wide.reserve(length);
    DecodeAll(text, length, [&](char32_t codePoint) { wide += static_cast<wchar_t>(codePoint); });
    return wide;
}

std::u16string Utf8ToU16(const char* text, std::size_t length)
{
    std::u16string utf16;
    utf16.reserve(length);
    DecodeAll(text, length, [&](char32_t codePoint) {
        if (codePoint < 0x10000) {
            utf16 += static_cast<char16_t>(codePoint);
        } else {
            codePoint -= 0x10000;
            utf16 += static_cast<char16_t>(0xD800 + (codePoint >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        }
    });
    return utf16;
}

std::string WideToUtf8(const wchar_t* text, std::size_t length)
{
    std::string narrow;
    narrow.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        AppendUtf8(narrow, static_cast<char32_t>(text[i]));
    return narrow;
}

std::string U16ToUtf8(const char16_t* text, std::size_t length)
{
    std::string narrow;
    narrow.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t unit = text[i];
        const bool pairs = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                           text[i + 1] <= 0xDFFF;
        if (pairs) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(narrow, unit);
    }
    return narrow;
}

}  // namespace detail
}  // namespace utf8util
