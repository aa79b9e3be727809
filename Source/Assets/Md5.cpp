#include "Assets/Md5.h"

#include <cstring>

namespace Vexir {

namespace {

std::uint32_t LoadLittleEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StoreLittleEndian(unsigned char* bytes, std::uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four rounds' auxiliary functions, in the forms that need fewest operations.
inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); }
inline std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (z & (x ^ y)); }
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

#define VEXIR_MD5_STEP(f, a, b, c, d, word, constant, shift)                                                          \
    a = b + RotateLeft(a + f(b, c, d) + word + constant, shift)

}  // namespace

Md5::Md5() : _aState{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u}, _uLength(0) {}

void Md5::Blocks(const unsigned char* data, std::size_t count)
{
    std::uint32_t a = _aState[0], b = _aState[1], c = _aState[2], d = _aState[3];
    for (; count > 0; --count, data += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = LoadLittleEndian(data + 4 * i);
        const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        // Round 1
        VEXIR_MD5_STEP(F, a, b, c, d, x[0], 0xd76aa478, 7);
        VEXIR_MD5_STEP(F, d, a, b, c, x[1], 0xe8c7b756, 12);
        VEXIR_MD5_STEP(F, c, d, a, b, x[2], 0x242070db, 17);
        VEXIR_MD5_STEP(F, b, c, d, a, x[3], 0xc1bdceee, 22);
        VEXIR_MD5_STEP(F, a, b, c, d, x[4], 0xf57c0faf, 7);
        VEXIR_MD5_STEP(F, d, a, b, c, x[5], 0x4787c62a, 12);
        VEXIR_MD5_STEP(F, c, d, a, b, x[6], 0xa8304613, 17);
        VEXIR_MD5_STEP(F, b, c, d, a, x[7], 0xfd469501, 22);
        VEXIR_MD5_STEP(F, a, b, c, d, x[8], 0x698098d8, 7);
        VEXIR_MD5_STEP(F, d, a, b, c, x[9], 0x8b44f7af, 12);
        VEXIR_MD5_STEP(F, c, d, a, b, x[10], 0xffff5bb1, 17);
        VEXIR_MD5_STEP(F, b, c, d, a, x[11], 0x895cd7be, 22);
        VEXIR_MD5_STEP(F, a, b, c, d, x[12], 0x6b901122, 7);
        VEXIR_MD5_STEP(F, d, a, b, c, x[13], 0xfd987193, 12);
        VEXIR_MD5_STEP(F, c, d, a, b, x[14], 0xa679438e, 17);
        VEXIR_MD5_STEP(F, b, c, d, a, x[15], 0x49b40821, 22);
        // Round 2
        VEXIR_MD5_STEP(G, a, b, c, d, x[1], 0xf61e2562, 5);
        VEXIR_MD5_STEP(G, d, a, b, c, x[6], 0xc040b340, 9);
        VEXIR_MD5_STEP(G, c, d, a, b, x[11], 0x265e5a51, 14);
        VEXIR_MD5_STEP(G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
        VEXIR_MD5_STEP(G, a, b, c, d, x[5], 0xd62f105d, 5);
        VEXIR_MD5_STEP(G, d, a, b, c, x[10], 0x02441453, 9);
        VEXIR_MD5_STEP(G, c, d, a, b, x[15], 0xd8a1e681, 14);
        VEXIR_MD5_STEP(G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
        VEXIR_MD5_STEP(G, a, b, c, d, x[9], 0x21e1cde6, 5);
        VEXIR_MD5_STEP(G, d, a, b, c, x[14], 0xc33707d6, 9);
        VEXIR_MD5_STEP(G, c, d, a, b, x[3], 0xf4d50d87, 14);
        VEXIR_MD5_STEP(G, b, c, d, a, x[8], 0x455a14ed, 20);
        VEXIR_MD5_STEP(G, a, b, c, d, x[13], 0xa9e3e905, 5);
        VEXIR_MD5_STEP(G, d, a, b, c, x[2], 0xfcefa3f8, 9);
        VEXIR_MD5_STEP(G, c, d, a, b, x[7], 0x676f02d9, 14);
        VEXIR_MD5_STEP(G, b, c, d, a, x[12], 0x8d2a4c8a, 20);
        // Round 3
        VEXIR_MD5_STEP(H, a, b, c, d, x[5], 0xfffa3942, 4);
        VEXIR_MD5_STEP(H, d, a, b, c, x[8], 0x8771f681, 11);
        VEXIR_MD5_STEP(H, c, d, a, b, x[11], 0x6d9d6122, 16);
        VEXIR_MD5_STEP(H, b, c, d, a, x[14], 0xfde5380c, 23);
        VEXIR_MD5_STEP(H, a, b, c, d, x[1], 0xa4beea44, 4);
        VEXIR_MD5_STEP(H, d, a, b, c, x[4], 0x4bdecfa9, 11);
        VEXIR_MD5_STEP(H, c, d, a, b, x[7], 0xf6bb4b60, 16);
        VEXIR_MD5_STEP(H, b, c, d, a, x[10], 0xbebfbc70, 23);
        VEXIR_MD5_STEP(H, a, b, c, d, x[13], 0x289b7ec6, 4);
        VEXIR_MD5_STEP(H, d, a, b, c, x[0], 0xeaa127fa, 11);
        VEXIR_MD5_STEP(H, c, d, a, b, x[3], 0xd4ef3085, 16);
        VEXIR_MD5_STEP(H, b, c, d, a, x[6], 0x04881d05, 23);
        VEXIR_MD5_STEP(H, a, b, c, d, x[9], 0xd9d4d039, 4);
        VEXIR_MD5_STEP(H, d, a, b, c, x[12], 0xe6db99e5, 11);
        VEXIR_MD5_STEP(H, c, d, a, b, x[15], 0x1fa27cf8, 16);
        VEXIR_MD5_STEP(H, b, c, d, a, x[2], 0xc4ac5665, 23);
        // Round 4
        VEXIR_MD5_STEP(I, a, b, c, d, x[0], 0xf4292244, 6);
        VEXIR_MD5_STEP(I, d, a, b, c, x[7], 0x432aff97, 10);
        VEXIR_MD5_STEP(I, c, d, a, b, x[14], 0xab9423a7, 15);
        VEXIR_MD5_STEP(I, b, c, d, a, x[5], 0xfc93a039, 21);
        VEXIR_MD5_STEP(I, a, b, c, d, x[12], 0x655b59c3, 6);
        VEXIR_MD5_STEP(I, d, a, b, c, x[3], 0x8f0ccc92, 10);
        VEXIR_MD5_STEP(I, c, d, a, b, x[10], 0xffeff47d, 15);
        VEXIR_MD5_STEP(I, b, c, d, a, x[1], 0x85845dd1, 21);
        VEXIR_MD5_STEP(I, a, b, c, d, x[8], 0x6fa87e4f, 6);
        VEXIR_MD5_STEP(I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
        VEXIR_MD5_STEP(I, c, d, a, b, x[6], 0xa3014314, 15);
        VEXIR_MD5_STEP(I, b, c, d, a, x[13], 0x4e0811a1, 21);
        VEXIR_MD5_STEP(I, a, b, c, d, x[4], 0xf7537e82, 6);
        VEXIR_MD5_STEP(I, d, a, b, c, x[11], 0xbd3af235, 10);
        VEXIR_MD5_STEP(I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
        VEXIR_MD5_STEP(I, b, c, d, a, x[9], 0xeb86d391, 21);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    _aState[0] = a;
    _aState[1] = b;
    _aState[2] = c;
    _aState[3] = d;
}

#undef VEXIR_MD5_STEP

void Md5::Update(const unsigned char* data, std::size_t size)
{
    if (size == 0)
        return;
    std::size_t pending = static_cast<std::size_t>(_uLength % 64);
    _uLength += size;
    if (pending > 0) {
        const std::size_t take = size < 64 - pending ? size : 64 - pending;
        std::memcpy(_aPending + pending, data, take);
        data += take;
        size -= take;
        pending += take;
        if (pending < 64)
            return;
        Blocks(_aPending, 1);
    }
    Blocks(data, size / 64);
    std::memcpy(_aPending, data + size / 64 * 64, size % 64);
}

void Md5::Final(unsigned char digest[16])
{
    // Padding: a one bit, zeros up to 56 bytes mod 64, then the length in bits.
    const std::uint64_t bits = _uLength * 8;
    static const unsigned char kPadding[64] = {0x80};
    const std::size_t pending = static_cast<std::size_t>(_uLength % 64);
    Update(kPadding, pending < 56 ? 56 - pending : 120 - pending);
    unsigned char length[8];
    StoreLittleEndian(length, bits, 8);
    Update(length, 8);
    for (int i = 0; i < 4; ++i)
        StoreLittleEndian(digest + 4 * i, _aState[i], 4);
}

}  // namespace Vexir
