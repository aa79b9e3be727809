// Asset files for the tests, made with the library's own header and scrambling.
#pragma once

#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "ScratchDirectory.h"

namespace VexirTest {

// The bytes of a headed file for `payload`.
inline std::string HeadedFile(const std::string& payload)
{
    std::string scrambled = payload;
    auto* bytes = reinterpret_cast<unsigned char*>(&scrambled[0]);
    const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(bytes, payload.size());
    Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, bytes, scrambled.size());
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + scrambled;
}

// A raw data object that records what it was given, for translator tests.
class CopyingTranslator : public Vexir::IAssetTranslator {
public:
    Vexir::IAssetData* Translate(const void* data, std::size_t size) override
    {
        ++calls;
        if (fail)
            return nullptr;
        auto* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
        if (size)
            std::memcpy(copy, data, size);
        return new Vexir::AssetDataRaw(copy, size);
    }
    int calls = 0;
    bool fail = false;
};

// A translator whose host code throws.
class ThrowingTranslator : public Vexir::IAssetTranslator {
public:
    Vexir::IAssetData* Translate(const void*, std::size_t) override { throw std::runtime_error("the host's own"); }
};

}  // namespace VexirTest
