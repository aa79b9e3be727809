// Any bytes as an asset file of any type: every outcome is a status, and an
// asset that says Loaded holds exactly the payload the file carries: the bytes
// after a valid header, unscrambled and matching its digest, or the whole file
// when it has no header; text types end in one added zero.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>
#include <Vexir/Path.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "TemporaryFile.h"

using namespace Vexir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned type = data[0] % 6;
    const std::uint8_t* bytes = data + 1;
    const std::size_t byteCount = size - 1;
    const std::string file = VexirFuzz::ScratchPath("asset.vxa");
    if (!VexirFuzz::WriteFile(file, bytes, byteCount))
        return 0;

    // What the file should give, worked out without the library's reader.
    AssetFileHeader header;
    const bool hasHeader = byteCount >= sizeof header && std::memcmp(bytes, "PRVN", 4) == 0 &&
                           std::memcmp(bytes + 5, "ENC", 3) == 0;
    std::vector<unsigned char> payload(bytes + (hasHeader ? sizeof header : 0), bytes + byteCount);
    bool intact = true;
    if (hasHeader) {
        std::memcpy(&header, bytes, sizeof header);
        intact = header.scheme == Encryption::Scheme0;
        if (intact) {
            Encryption::Decrypt(Encryption::Scheme0, payload.data(), payload.size());
            unsigned char digest[16];
            Encryption::ComputeMd5(payload.data(), payload.size(), digest);
            intact = std::memcmp(digest, header.digest, sizeof digest) == 0;
        }
    }
    const bool text = type == 1 || type == 4;
    if (text)
        payload.push_back(0);

    Asset asset;
    const bool initialized = asset.Initialize(Path(file), type);
    FUZZ_CHECK(initialized == (type != 0 && type != 5 && (!hasHeader || header.scheme == Encryption::Scheme0)),
               "Initialize said %d for type %u: %s", initialized, type, IAsset::StatusString(asset.GetStatus()));
    if (!initialized)
        return 0;
    const bool loaded = asset.Load(nullptr);
    FUZZ_CHECK(loaded == intact, "Load said %d: %s", loaded, IAsset::StatusString(asset.GetStatus()));
    FUZZ_CHECK(loaded == (asset.GetStatus() == IAsset::Loaded), "status %s",
               IAsset::StatusString(asset.GetStatus()));
    if (loaded) {
        FUZZ_CHECK(asset.GetDataSize() == payload.size(), "%zu bytes loaded, the payload has %zu",
                   asset.GetDataSize(), payload.size());
        FUZZ_CHECK(payload.empty() || std::memcmp(asset.GetDataPtr(), payload.data(), payload.size()) == 0,
                   "the loaded bytes are not the payload");
    } else {
        FUZZ_CHECK(asset.GetDataSize() == 0 && asset.GetDataPtr() == nullptr, "a failed load kept data");
    }
    return 0;
}
