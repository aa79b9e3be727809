#include <Vexir/Assert.h>
#include <Vexir/Network/BinaryPacket.h>

#include <cstring>

namespace Vexir {
namespace Network {

TextPacket::TextPacket(const void* text, std::uint32_t size) : _uLength(size)
{
    _pData = new unsigned char[size ? size : 1];
    CORE_ASSERT(_pData != NULL);
    if (_pData && size > 0 && text)
        std::memcpy(_pData, text, size);
}

TextPacket::~TextPacket() = default;

const char* TextPacket::GetType() const { return GetTextPacketType(); }

const char* TextPacket::GetTextPacketType() { return "TextPacket"; }

}  // namespace Network
}  // namespace Vexir
