#include <Vexir/Result.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

using namespace Vexir;

// Adler-32 of the lower-cased 7-bit text with sums starting at 0, written
// plainly, reducing after every byte.
unsigned long Reference(const std::string& text)
{
    std::uint64_t a = 0, b = 0;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        a = (a + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)))) % 65521;
        b = (b + a) % 65521;
    }
    return static_cast<unsigned long>((b << 16) | a);
}

TEST(HashedString, HashesCaseInsensitively)
{
    EXPECT_EQ(HashedString::HashName(nullptr), 0ul);
    EXPECT_EQ(HashedString::HashName(""), 0ul);
    EXPECT_EQ(HashedString::HashName("a"), 0x00610061ul);
    for (const char* text : {"abc", "Abc", "ABC"})
        EXPECT_EQ(HashedString::HashName(text), 0x024A0126ul) << text;
    const HashedString lower("abc"), upper("ABC");
    EXPECT_TRUE(lower == upper);
    EXPECT_FALSE(lower < upper);
    EXPECT_FALSE(upper < lower);
    EXPECT_STRNE(lower.GetStr(), upper.GetStr());
}

TEST(HashedString, MatchesAPlainChecksumAtChunkEdgesAndOverHighBytes)
{
    for (std::size_t length : {5551u, 5552u, 5553u, 11104u, 11105u}) {
        const std::string text(length, 'z');
        EXPECT_EQ(HashedString::HashName(text.c_str()), Reference(text)) << length;
    }
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        std::string text(1 + random() % 20000, ' ');
        for (char& c : text)
            c = static_cast<char>(1 + random() % 127);
        ASSERT_EQ(HashedString::HashName(text.c_str()), Reference(text)) << "round " << round;
    }
    // A byte above 127 adds as a negative number: 0xFFFFFFFF for 0xFF, reduced
    // at the end of its chunk.
    const unsigned long high = 0xFFFFFFFFul % 65521;
    EXPECT_EQ(HashedString::HashName("\xFF"), (high << 16) | high);
    // "\xFF" then "b": the sums wrap at 32 bits before the chunk's reduction.
    const std::uint32_t a1 = 0xFFFFFFFFu, b1 = a1;
    const std::uint32_t a2 = a1 + 0x62u, b2 = b1 + a2;
    EXPECT_EQ(HashedString::HashName("\xFF" "B"), static_cast<unsigned long>((b2 % 65521) << 16 | (a2 % 65521)));
}

TEST(Result, AddsAndMergesMessages)
{
    Result first, second, empty;
    EXPECT_TRUE(first.Add("count %d", 3));
    EXPECT_TRUE(second.Add("%s and %.1f", "text", 2.5));
    EXPECT_TRUE(first.Add(second));
    EXPECT_TRUE(first.Add(empty));
    ASSERT_EQ(first.GetCount(), 2u);
    EXPECT_EQ(first.GetMessage(0), "count 3");
    EXPECT_EQ(first.GetMessage(1), "text and 2.5");
    EXPECT_EQ(first.GetMessage(7), "");
    EXPECT_EQ(second.GetCount(), 1u) << "the other result is unchanged";
    EXPECT_TRUE(first.Add(first));
    EXPECT_EQ(first.GetCount(), 4u);
    first.Clear();
    EXPECT_EQ(first.GetCount(), 0u);
}

TEST(Version, TextsAreFixed)
{
    EXPECT_EQ(std::string(GetVexirVersionString()), std::string("Parvon SDK ") + VEXIR_TEST_VERSION);
    EXPECT_EQ(GetVexirVersionString(), GetVexirVersionString());
    const std::string copyright = GetVexirCopyrightString();
    EXPECT_NE(copyright.find("Copyright"), std::string::npos);
    EXPECT_EQ(copyright.find('\n'), std::string::npos);
}

}  // namespace
