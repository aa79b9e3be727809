#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using utf8util::utf8_conversion_error;

void ExpectRejected(const std::string& bytes)
{
    try {
        utf8util::Utf8ToUtf16(bytes);
        ADD_FAILURE() << "accepted malformed UTF-8 of " << bytes.size() << " bytes";
    } catch (const utf8_conversion_error& error) {
        EXPECT_STREQ(error.what(), "Invalid UTF-8 sequence found in input string.");
        EXPECT_EQ(error.direction(), 1u);
        EXPECT_NE(error.error_code(), 0u);
        const utf8_conversion_error copy = error;
        EXPECT_EQ(copy.direction(), error.direction());
        EXPECT_EQ(copy.error_code(), error.error_code());
    }
    EXPECT_THROW(utf8util::Utf8ToU16(bytes), utf8_conversion_error);
    EXPECT_THROW(utf8util::Utf8ToUtf16(bytes.c_str()), utf8_conversion_error);
}

TEST(Utf8Util, RejectsWhatAStrictDecoderRejects)
{
    ExpectRejected("\xC3\x28");              // lead byte, then no continuation
    ExpectRejected("\xC0\x80");              // overlong zero
    ExpectRejected("\xC1\xBF");              // overlong two-byte form
    ExpectRejected("\xE0\x80\xAF");          // overlong three-byte form
    ExpectRejected("\xF0\x80\x80\xAF");      // overlong four-byte form
    ExpectRejected("\xED\xA0\x80");          // encoded high surrogate
    ExpectRejected("\xED\xBF\xBF");          // encoded low surrogate
    ExpectRejected("\xF4\x90\x80\x80");      // above U+10FFFF
    ExpectRejected("\xF5\x80\x80\x80");      // lead byte beyond the range
    ExpectRejected("\xFF");
    ExpectRejected("\xE2\x82");              // truncated
    ExpectRejected("ok\xF0\x9F\x98");        // truncated at the end
    ExpectRejected("\x80");                  // stray continuation byte
    ExpectRejected("a\xBF" "b");
}

TEST(Utf8Util, ConvertsBothWays)
{
    EXPECT_EQ(utf8util::Utf8ToUtf16("\xC3\x84"), std::wstring(1, L'\x00C4'));
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::wstring(1, L'\x00C4')), "\xC3\x84");

    const std::string grinning = "\xF0\x9F\x98\x80";  // U+1F600
    EXPECT_EQ(utf8util::Utf8ToU16(grinning), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::u16string({0xD83D, 0xDE00})), grinning);
    // The platform's wide text: a pair where wchar_t is 16-bit, one unit otherwise.
    const std::wstring wide = utf8util::Utf8ToUtf16(grinning);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    EXPECT_EQ(utf8util::Utf16ToUtf8(wide), grinning);
}

TEST(Utf8Util, EmptyNullAndEmbeddedZeros)
{
    EXPECT_EQ(utf8util::Utf16ToUtf8(static_cast<const wchar_t*>(nullptr)), "");
    EXPECT_EQ(utf8util::Utf8ToUtf16(static_cast<const char*>(nullptr)), L"");
    EXPECT_EQ(utf8util::Utf8ToUtf16(std::string()), L"");
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::u16string()), "");

    const std::string withZero("a\0b", 3);
    const std::wstring wide = utf8util::Utf8ToUtf16(withZero);
    EXPECT_EQ(wide, std::wstring(L"a\0b", 3));
    EXPECT_EQ(utf8util::Utf16ToUtf8(wide), withZero);
    // The C-string forms stop at the terminator.
    EXPECT_EQ(utf8util::Utf8ToUtf16(withZero.c_str()), L"a");
}

TEST(Utf8Util, LoneSurrogatesBecomeReplacementCharacters)
{
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::u16string({0xD800})), replacement);
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::u16string({u'a', 0xDC00, u'b'})), "a" + replacement + "b");
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::u16string({0xDBFF, 0xD800, 0xDC00})), replacement + "\xF0\x90\x80\x80");
    EXPECT_EQ(utf8util::Utf16ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), replacement);
}

// Every code point, UTF-8 to UTF-16 and back, in one string.
TEST(Utf8Util, RoundTripsEveryCodePoint)
{
    std::u16string all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c < 0x10000) {
            all += static_cast<char16_t>(c);
        } else {
            all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    const std::string utf8 = utf8util::Utf16ToUtf8(all);
    EXPECT_EQ(utf8.size(), 0x7Fu + 2 * 0x780u + 3 * (0x10000u - 0x800u - 0x800u) + 4 * 0x100000u);
    EXPECT_EQ(utf8util::Utf8ToU16(utf8), all);
    const std::wstring wide = utf8util::Utf8ToUtf16(utf8);
    EXPECT_EQ(utf8util::Utf16ToUtf8(wide), utf8);
}

}  // namespace
