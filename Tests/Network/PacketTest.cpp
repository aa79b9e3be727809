#include <Vexir/Network/BinaryPacket.h>

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

using namespace Vexir::Network;

std::string Bytes(const IPacket& packet)
{
    return std::string(reinterpret_cast<const char*>(packet.GetData()), packet.GetSize());
}

TEST(Packets, BinaryPacketsCarryTheirBigEndianLength)
{
    const BinaryPacket abc("abc", 3);
    EXPECT_EQ(abc.GetSize(), 7u);
    EXPECT_EQ(Bytes(abc), std::string("\0\0\0\x07" "abc", 7));
    EXPECT_STREQ(abc.GetType(), "BinaryPacket");
    EXPECT_STREQ(BinaryPacket::GetBinaryPacketType(), "BinaryPacket");

    const BinaryPacket empty(0u);
    EXPECT_EQ(empty.GetSize(), 4u);
    EXPECT_EQ(Bytes(empty), std::string("\0\0\0\x04", 4));

    BinaryPacket filled(4u);
    filled.MemCopy("xy", 2, 1);
    EXPECT_EQ(filled.GetData()[5], 'x');
    EXPECT_EQ(filled.GetData()[6], 'y');

    const BinaryPacket large(nullptr, 70000);
    EXPECT_EQ(large.GetSize(), 70004u);
    EXPECT_EQ(Bytes(large).substr(0, 4), std::string("\0\x01\x11\x74", 4));
    EXPECT_EQ(BinaryPacket().GetSize(), 0u);
}

TEST(Packets, TextPacketsAreTheRawBytes)
{
    const TextPacket hello("hello\r", 6);
    EXPECT_EQ(hello.GetSize(), 6u);
    EXPECT_EQ(Bytes(hello), "hello\r");
    EXPECT_STREQ(hello.GetType(), "TextPacket");
    EXPECT_STREQ(TextPacket::GetTextPacketType(), "TextPacket");
    static_assert(!std::is_copy_constructible<BinaryPacket>::value, "packets are not copied");
    static_assert(!std::is_copy_assignable<TextPacket>::value, "packets are not copied");
}

}  // namespace
