// Scrambling and digest of asset payloads. The scrambling is an obfuscation,
// not a cipher: scheme 0 XORs byte i with ((i mod 128) + 0x6E) mod 256, counting
// i from the start of the buffer, and is its own inverse.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstddef>

namespace Vexir {
namespace Encryption {

enum Scheme : unsigned { Scheme0 = 0 };

// Scramble or unscramble `size` bytes in place (the same transform). False,
// with the buffer untouched, for a null buffer or a scheme other than 0.
VEXIR_API bool Encrypt(Scheme scheme, unsigned char* data, unsigned long long size);
VEXIR_API bool Decrypt(Scheme scheme, unsigned char* data, unsigned long long size);

// The MD5 digest (RFC 1321) of `size` bytes, any size. Does nothing when `data`
// (with a non-zero size) or `digest` is null.
VEXIR_API void ComputeMd5(const unsigned char* data, unsigned long long size, unsigned char digest[16]);

}  // namespace Encryption
}  // namespace Vexir
