/// @file
/// Packets: heap units a socket sends or hands up. Each keeps its bytes in one
/// buffer exactly as they go onto the wire.
///
/// @code{.unparsed}
///   BinaryPacket: a 4-byte big-endian frame length (payload + 4), then the payload
///                 BinaryPacket("abc", 3) => 00 00 00 07 61 62 63, GetSize() 7
///   TextPacket:   the raw bytes, cut from the stream at a carriage return
/// @endcode
///
/// Packets are not copied; a packet queued on a socket belongs to the socket.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>

namespace Vexir {
namespace Network {

/// The bytes of one packet as they travel, whatever the kind of packet.
/// Packets live on the heap and are deleted through this interface by whoever
/// owns them (a socket, for the packets queued on it or received by it).
class VEXIR_API IPacket {
public:
    IPacket() = default;
    IPacket(const IPacket&) = delete;
    IPacket& operator=(const IPacket&) = delete;
    virtual ~IPacket() = default;

    /// The name of the packet's class: the text of
    /// BinaryPacket::GetBinaryPacketType() or TextPacket::GetTextPacketType().
    virtual const char* GetType() const = 0;
    /// The whole frame, GetSize() bytes.
    virtual const unsigned char* GetData() const = 0;
    /// The number of bytes GetData() holds, all of them sent.
    virtual std::uint32_t GetSize() const = 0;
};

/// A length-prefixed frame: 4 bytes of big-endian length (the payload's plus
/// 4), then the payload. GetData() returns the prefix too.
class VEXIR_API BinaryPacket : public IPacket {
public:
    /// No buffer; the base of TextPacket.
    BinaryPacket();
    /// A frame for `size` payload bytes, left for the caller to fill.
    /// Fill it with MemCopy().
    explicit BinaryPacket(std::uint32_t size);
    /// A frame holding a copy of the `size` bytes at `data`. A null `data`
    /// leaves the payload unfilled, as the constructor above does.
    BinaryPacket(const void* data, std::uint32_t size);
    ~BinaryPacket() override;

    /// "BinaryPacket".
    const char* GetType() const override;
    /// The frame, length prefix first; null for a packet with no buffer.
    const unsigned char* GetData() const override { return _pData; }
    /// The frame's length as its prefix gives it: the payload's plus 4; 0 with no buffer.
    std::uint32_t GetSize() const override;
    /// Copies into the payload at `offset`; the caller keeps it within the payload.
    /// `offset` counts from the start of the payload, after the length prefix.
    /// Nothing is checked: a copy that runs past the payload corrupts the heap.
    /// Does nothing for a null `source`, a zero `count` or a packet with no buffer.
    void MemCopy(const void* source, std::uint64_t count, std::int32_t offset);

    /// The type name every BinaryPacket returns from GetType(), "BinaryPacket".
    static const char* GetBinaryPacketType();

protected:
    /// The frame (for a TextPacket, the raw bytes); owned, freed by the destructor.
    unsigned char* _pData;
};

/// Raw bytes with no length prefix, sent exactly as given. Received text
/// lines arrive as TextPackets that end in their carriage return.
class VEXIR_API TextPacket : public BinaryPacket {
public:
    /// Copies the `size` bytes at `text` (nothing is added, not even a
    /// terminator). A null `text` leaves the bytes unfilled.
    TextPacket(const void* text, std::uint32_t size);
    ~TextPacket() override;

    /// "TextPacket".
    const char* GetType() const override;
    /// The number of bytes given to the constructor.
    std::uint32_t GetSize() const override { return _uLength; }

    /// The type name every TextPacket returns from GetType(), "TextPacket".
    static const char* GetTextPacketType();

private:
    std::uint32_t _uLength;
};

}  // namespace Network
}  // namespace Vexir
