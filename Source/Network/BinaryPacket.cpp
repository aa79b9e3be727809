#include <Vexir/Assert.h>
#include <Vexir/Network/BinaryPacket.h>

#include <cstring>

namespace Vexir {
namespace Network {

namespace {

// The constructors' assertion sites report the header that declares them.
const char* const kSiteFile = "Include/Vexir/Network/BinaryPacket";

void StoreBigEndian(unsigned char* bytes, std::uint32_t value)
{
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

}  // namespace

BinaryPacket::BinaryPacket() : _pData(nullptr) {}

BinaryPacket::BinaryPacket(std::uint32_t size) : _pData(new unsigned char[static_cast<std::size_t>(size) + 4])
{
    static bool s_bIgnoreAlways = false;
    if (!_pData)
        RaiseAssert(s_bIgnoreAlways, "_pData != NULL", __LINE__, kSiteFile, nullptr);
    else
        StoreBigEndian(_pData, size + 4);
}

BinaryPacket::BinaryPacket(const void* data, std::uint32_t size)
    : _pData(new unsigned char[static_cast<std::size_t>(size) + 4])
{
    static bool s_bIgnoreAlways = false;
    if (!_pData) {
        RaiseAssert(s_bIgnoreAlways, "_pData != NULL", __LINE__, kSiteFile, nullptr);
        return;
    }
    StoreBigEndian(_pData, size + 4);
    if (size > 0 && data)
        std::memcpy(_pData + 4, data, size);
}

BinaryPacket::~BinaryPacket() { delete[] _pData; }

const char* BinaryPacket::GetType() const { return GetBinaryPacketType(); }

std::uint32_t BinaryPacket::GetSize() const
{
    if (!_pData)
        return 0;
    return static_cast<std::uint32_t>(_pData[0]) << 24 | static_cast<std::uint32_t>(_pData[1]) << 16 |
           static_cast<std::uint32_t>(_pData[2]) << 8 | _pData[3];
}

void BinaryPacket::MemCopy(const void* source, std::uint64_t count, std::int32_t offset)
{
    if (_pData && source && count > 0)
        std::memcpy(_pData + 4 + offset, source, static_cast<std::size_t>(count));
}

const char* BinaryPacket::GetBinaryPacketType() { return "BinaryPacket"; }

}  // namespace Network
}  // namespace Vexir
