// Packets: heap units a socket sends or hands up. Each keeps its bytes in one
// buffer exactly as they go onto the wire.
//
//   BinaryPacket: a 4-byte big-endian frame length (payload + 4), then the payload
//                 BinaryPacket("abc", 3) => 00 00 00 07 61 62 63, GetSize() 7
//   TextPacket:   the raw bytes, cut from the stream at a carriage return
//
// Packets are not copied; a packet queued on a socket belongs to the socket.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>

namespace Vexir {
namespace Network {

class VEXIR_API IPacket {
public:
    IPacket() = default;
    IPacket(const IPacket&) = delete;
    IPacket& operator=(const IPacket&) = delete;
    virtual ~IPacket() = default;

    virtual const char* GetType() const = 0;
    // The whole frame, GetSize() bytes.
    virtual const unsigned char* GetData() const = 0;
    virtual std::uint32_t GetSize() const = 0;
};

class VEXIR_API BinaryPacket : public IPacket {
public:
    // No buffer; the base of TextPacket.
    BinaryPacket();
    // A frame for `size` payload bytes, left for the caller to fill.
    explicit BinaryPacket(std::uint32_t size);
    BinaryPacket(const void* data, std::uint32_t size);
    ~BinaryPacket() override;

    const char* GetType() const override;
    const unsigned char* GetData() const override { return _pData; }
    std::uint32_t GetSize() const override;
    // Copies into the payload at `offset`; the caller keeps it within the payload.
    void MemCopy(const void* source, std::uint64_t count, std::int32_t offset);

    static const char* GetBinaryPacketType();

protected:
    unsigned char* _pData;
};

class VEXIR_API TextPacket : public BinaryPacket {
public:
    TextPacket(const void* text, std::uint32_t size);
    ~TextPacket() override;

    const char* GetType() const override;
    std::uint32_t GetSize() const override { return _uLength; }

    static const char* GetTextPacketType();

private:
    std::uint32_t _uLength;
};

}  // namespace Network
}  // namespace Vexir
