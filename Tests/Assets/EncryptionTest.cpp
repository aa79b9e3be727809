#include <Vexir/Encryption.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Assets/Md5.h"

namespace {

using namespace Vexir;

std::string Hex(const unsigned char digest[16])
{
    static const char* const kDigits = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 15];
    }
    return text;
}

std::string Md5Of(const std::string& text)
{
    unsigned char digest[16];
    Encryption::ComputeMd5(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    return Hex(digest);
}

TEST(Md5, MatchesTheSevenReferenceDigests)
{
    EXPECT_EQ(Md5Of(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Of("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Of("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Of("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Of("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecesAtEveryOffsetDigestAsOne)
{
    const std::string text = "The quick brown fox jumps over the lazy dog, then over the 64-byte block edge again.";
    const std::string whole = Md5Of(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t first = 0; first <= text.size(); ++first) {
        for (std::size_t second = first; second <= text.size(); second += 7) {
            Md5 md5;
            md5.Update(bytes, first);
            md5.Update(bytes + first, second - first);
            md5.Update(bytes + second, text.size() - second);
            unsigned char digest[16];
            md5.Final(digest);
            ASSERT_EQ(Hex(digest), whole) << "split at " << first << " and " << second;
        }
    }
}

TEST(Md5, NullArgumentsDoNothing)
{
    unsigned char digest[16] = {1};
    Encryption::ComputeMd5(nullptr, 5, digest);
    EXPECT_EQ(digest[0], 1);
    Encryption::ComputeMd5(nullptr, 0, digest);
    EXPECT_EQ(Hex(digest), "d41d8cd98f00b204e9800998ecf8427e");
    Encryption::ComputeMd5(reinterpret_cast<const unsigned char*>("x"), 1, nullptr);
}

// The length in the padding is 64-bit: a message past 4 GiB digests as one
// would expect from its true length. 4 GiB of zero bytes and one byte of 'x'.
TEST(Md5, MessagesPastFourGibibytesCountTheirWholeLength)
{
    const std::vector<unsigned char> zeros(1 << 24, 0);
    Md5 md5;
    for (int i = 0; i < 256; ++i)
        md5.Update(zeros.data(), zeros.size());
    md5.Update(reinterpret_cast<const unsigned char*>("x"), 1);
    unsigned char digest[16];
    md5.Final(digest);
    EXPECT_EQ(Hex(digest), "946005287ba386e1aa04031fcb20051d");
}

TEST(Encryption, ScramblesInPlaceAndBack)
{
    std::vector<unsigned char> buffer(1000);
    std::mt19937 random(7);
    for (unsigned char& byte : buffer)
        byte = static_cast<unsigned char>(random());
    const std::vector<unsigned char> original = buffer;
    for (std::size_t size : {0u, 1u, 15u, 127u, 128u, 129u, 300u, 1000u}) {
        ASSERT_TRUE(Encryption::Encrypt(Encryption::Scheme0, buffer.data(), size));
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(buffer[i], original[i] ^ static_cast<unsigned char>((i % 128) + 0x6E)) << i;
        for (std::size_t i = size; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], original[i]) << "beyond the size";
        ASSERT_TRUE(Encryption::Decrypt(Encryption::Scheme0, buffer.data(), size));
        ASSERT_EQ(buffer, original);
    }
}

TEST(Encryption, RefusesUnknownSchemesAndNullBuffers)
{
    unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_FALSE(Encryption::Encrypt(static_cast<Encryption::Scheme>(1), bytes, 4));
    EXPECT_FALSE(Encryption::Decrypt(static_cast<Encryption::Scheme>(1), bytes, 4));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_FALSE(Encryption::Encrypt(Encryption::Scheme0, nullptr, 4));
    EXPECT_TRUE(Encryption::Encrypt(Encryption::Scheme0, bytes, 0));
    EXPECT_EQ(bytes[0], 1);
}

}  // namespace
