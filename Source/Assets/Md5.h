// The MD5 message digest of RFC 1321, fed in pieces of any size. The message
// length is counted in 64 bits, so messages of 4 GiB and more digest correctly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Vexir {

class Md5 {
public:
    Md5();
    void Update(const unsigned char* data, std::size_t size);
    // Writes the 16 digest bytes; the object is spent afterwards.
    void Final(unsigned char digest[16]);

private:
    void Blocks(const unsigned char* data, std::size_t count);

    std::uint32_t _aState[4];
    std::uint64_t _uLength;  // bytes so far
    unsigned char _aPending[64];
};

}  // namespace Vexir
