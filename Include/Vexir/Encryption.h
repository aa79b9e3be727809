/// @file
/// Scrambling and digest of asset payloads. The scrambling is an obfuscation,
/// not a cipher: scheme 0 XORs byte i with ((i mod 128) + 0x6E) mod 256, counting
/// i from the start of the buffer, and is its own inverse.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstddef>

namespace Vexir {
/// Scrambling and digest of asset payloads (see Assets.h for the file layout).
namespace Encryption {

/// @enum Scheme
/// A scrambling scheme, as stored in an asset file's header.
/// @var Scheme0
/// XOR of byte i with ((i mod 128) + 0x6E) mod 256; the only scheme.
enum Scheme : unsigned { Scheme0 = 0 };

/// Scrambles `size` bytes in place; the same transform as Decrypt. Position 0 is
/// `data`, so pass a payload from its first byte. False, with the buffer
/// untouched, for a null buffer or a scheme other than 0.
VEXIR_API bool Encrypt(Scheme scheme, unsigned char* data, unsigned long long size);
/// Unscrambles `size` bytes in place; the same transform as Encrypt, with the
/// same results.
VEXIR_API bool Decrypt(Scheme scheme, unsigned char* data, unsigned long long size);

/// The MD5 digest (RFC 1321) of `size` bytes, any size, written to the 16
/// bytes at `digest`. Does nothing when `data` (with a non-zero size) or
/// `digest` is null.
VEXIR_API void ComputeMd5(const unsigned char* data, unsigned long long size, unsigned char digest[16]);

}  // namespace Encryption
}  // namespace Vexir
