// Any bytes as UTF-8, and any units as UTF-16 and as the platform's wide text:
// well-formed UTF-8 converts and comes back unchanged, anything else throws
// utf8_conversion_error and nothing else; wide text always converts, to
// well-formed UTF-8 that comes back with U+FFFD for what was no character.
#include <Vexir/Utf8Util.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"

namespace {

using namespace utf8util;

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsWellFormedUtf8(const std::string& text, std::size_t* units)
{
    *units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t value;
        if (lead < 0x80) {
            length = 1, value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
            (value >= 0xD800 && value <= 0xDFFF))
            return false;
        *units += value >= 0x10000 ? 2 : 1;
        i += length;
    }
    return true;
}

void CheckUtf8(const std::string& text)
{
    std::size_t units = 0;
    const bool wellFormed = IsWellFormedUtf8(text, &units);
    try {
        const std::u16string utf16 = Utf8ToU16(text);
        FUZZ_CHECK(wellFormed, "ill-formed UTF-8 of %zu bytes converted", text.size());
        FUZZ_CHECK(utf16.size() == units, "%zu units, expected %zu", utf16.size(), units);
        FUZZ_CHECK(Utf16ToUtf8(utf16) == text, "UTF-16 did not come back the same");
        FUZZ_CHECK(Utf16ToUtf8(Utf8ToUtf16(text)) == text, "wide text did not come back the same");
    } catch (const utf8_conversion_error& error) {
        FUZZ_CHECK(!wellFormed, "well-formed UTF-8 of %zu bytes refused: %s", text.size(), error.what());
        FUZZ_CHECK(error.direction() == utf8_conversion_error::Utf8ToUtf16Direction, "direction %u",
                   error.direction());
        bool wideRefused = false;
        try {
            Utf8ToUtf16(text);
        } catch (const utf8_conversion_error&) {
            wideRefused = true;
        }
        FUZZ_CHECK(wideRefused, "the wide conversion took what the UTF-16 one refused");
    }
}

template <typename Text>
void CheckWide(const Text& wide)
{
    const std::string utf8 = Utf16ToUtf8(wide);
    std::size_t units = 0;
    FUZZ_CHECK(IsWellFormedUtf8(utf8, &units), "wide text gave ill-formed UTF-8");
    // Converting back gives the same text wherever it was a character. Only
    // 16-bit units pair surrogates; in 32-bit ones a surrogate is no character.
    const bool pairs = sizeof(wide[0]) == 2;
    const std::u16string again = Utf8ToU16(utf8);
    std::u16string expected;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const std::uint32_t unit = static_cast<std::uint32_t>(wide[i]);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (pairs && high && i + 1 < wide.size() && static_cast<std::uint32_t>(wide[i + 1]) >= 0xDC00 &&
            static_cast<std::uint32_t>(wide[i + 1]) <= 0xDFFF) {
            expected.push_back(static_cast<char16_t>(unit));
            expected.push_back(static_cast<char16_t>(wide[++i]));
        } else if (high || low || unit > 0x10FFFF) {
            expected.push_back(u'\xFFFD');
        } else if (unit >= 0x10000) {
            expected.push_back(static_cast<char16_t>(0xD800 + ((unit - 0x10000) >> 10)));
            expected.push_back(static_cast<char16_t>(0xDC00 + ((unit - 0x10000) & 0x3FF)));
        } else {
            expected.push_back(static_cast<char16_t>(unit));
        }
    }
    FUZZ_CHECK(again == expected, "wide text of %zu units did not come back", wide.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckUtf8(std::string(reinterpret_cast<const char*>(data), size));

    std::u16string utf16(size / 2, u'\0');
    std::memcpy(&utf16[0], data, utf16.size() * 2);
    CheckWide(utf16);

    std::wstring wide(size / sizeof(wchar_t), L'\0');
    std::memcpy(&wide[0], data, wide.size() * sizeof(wchar_t));
    CheckWide(wide);
    return 0;
}
