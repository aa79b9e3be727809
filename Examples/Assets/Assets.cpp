// Assets: files found on a search path, checked against their header, and
// turned into the host's own data by a translator.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>
#include <Vexir/Path.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The library reads four kinds of asset: types 1 and 4 as text (a zero byte
// appended), 2 and 3 as binary. What each kind stands for is the host's choice.
const int kTextAsset = 1;

// Counts the lines of a text asset; the count is the asset's data.
class LineCounter : public Vexir::IAssetTranslator {
public:
    Vexir::IAssetData* Translate(const void* data, std::size_t size) override
    {
        // The asset frees its data with free().
        auto* count = static_cast<unsigned char*>(std::malloc(sizeof(int)));
        if (!count)
            return nullptr;
        int lines = 0;
        for (std::size_t i = 0; i < size; ++i)
            lines += static_cast<const char*>(data)[i] == '\n' ? 1 : 0;
        std::memcpy(count, &lines, sizeof lines);
        return new Vexir::AssetDataRaw(count, sizeof lines);
    }
};

// What a packing tool writes: the header, then the scrambled bytes.
void Pack(const std::string& file, std::string bytes)
{
    auto* raw = reinterpret_cast<unsigned char*>(&bytes[0]);
    const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(raw, bytes.size());
    Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, raw, bytes.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main()
{
    Pack("poem.txt", "Roses are red,\nassets are checked,\nbytes that were scrambled\ncome back as expected.\n");

    Vexir::IMgrAssets* assets = Vexir::GetMgrAssets();
    assets->AddSearchPath(Vexir::Path("./"), kTextAsset);

    LineCounter counter;
    Vexir::IAsset::Status status = Vexir::IAsset::Unknown;
    Vexir::IAsset* poem = assets->GetAsset(Vexir::Path("poem.txt"), kTextAsset, &counter, &status);
    if (!poem) {
        std::printf("poem.txt did not load: %s\n", Vexir::IAsset::StatusString(status));
        return 1;
    }
    int lines = 0;
    std::memcpy(&lines, poem->GetDataPtr(), sizeof lines);
    std::printf("%s: %s, %d lines\n", poem->GetPath().AsChar(), Vexir::IAsset::StatusString(status), lines);
    assets->ReleaseAsset(poem);  // the manager deletes it when the last holder lets go
    return 0;
}
