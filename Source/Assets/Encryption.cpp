#include <Vexir/Encryption.h>

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Assets/Md5.h"

namespace Vexir {
namespace Encryption {

namespace {

const unsigned kKeyBase = 0x6E;
const std::size_t kKeyPeriod = 128;

unsigned char KeyAt(unsigned long long position)
{
    return static_cast<unsigned char>((position % kKeyPeriod) + kKeyBase);
}

// XORs whole 128-byte key periods from the start of the buffer; returns how
// many bytes it did.
unsigned long long ScramblePeriods(unsigned char* data, unsigned long long size)
{
#if defined(__SSE2__)
    // The sixteen key bytes of each 16-byte lane, made from the position: lane j
    // of a period holds 0x6E + 16 j + 0 ... 15 (mod 256).
    const __m128i first = _mm_setr_epi8(0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
                                        0x7B, 0x7C, 0x7D);
    const __m128i step = _mm_set1_epi8(16);
    __m128i keys[8];
    keys[0] = first;
    for (int lane = 1; lane < 8; ++lane)
        keys[lane] = _mm_add_epi8(keys[lane - 1], step);
    const unsigned long long whole = size / kKeyPeriod * kKeyPeriod;
    for (unsigned long long offset = 0; offset < whole; offset += kKeyPeriod) {
        for (int lane = 0; lane < 8; ++lane) {
            auto* at = reinterpret_cast<__m128i*>(data + offset + 16 * lane);
            _mm_storeu_si128(at, _mm_xor_si128(_mm_loadu_si128(at), keys[lane]));
        }
    }
    return whole;
#else
    (void)data;
    (void)size;
    return 0;
#endif
}

bool Scramble(Scheme scheme, unsigned char* data, unsigned long long size)
{
    if (!data || scheme != Scheme0)
        return false;
    for (unsigned long long i = ScramblePeriods(data, size); i < size; ++i)
        data[i] ^= KeyAt(i);
    return true;
}

}  // namespace

bool Encrypt(Scheme scheme, unsigned char* data, unsigned long long size) { return Scramble(scheme, data, size); }

bool Decrypt(Scheme scheme, unsigned char* data, unsigned long long size) { return Scramble(scheme, data, size); }

void ComputeMd5(const unsigned char* data, unsigned long long size, unsigned char digest[16])
{
    if (!digest || (!data && size > 0))
        return;
    Md5 md5;
    // Fed in pieces so that sizes beyond what size_t holds on any target pass.
    const unsigned long long piece = 1ull << 30;
    for (unsigned long long done = 0; done < size; done += piece)
        md5.Update(data + done, static_cast<std::size_t>(size - done < piece ? size - done : piece));
    md5.Final(digest);
}

}  // namespace Encryption
}  // namespace Vexir
