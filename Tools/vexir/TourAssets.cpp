// The tour's stop for assets: pack one, find it on a search path, load it with
// a translator of the tour's own, and show what damaged files report.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "Tour.h"

namespace VexirTool {

namespace {

using Vexir::IAsset;

const int kTextType = 1;

// Counts the lines of a text asset and keeps the count as its data.
class LineCounter : public Vexir::IAssetTranslator {
public:
    Vexir::IAssetData* Translate(const void* data, std::size_t size) override
    {
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

std::string Packed(const std::string& payload)
{
    std::string bytes = payload;
    auto* raw = reinterpret_cast<unsigned char*>(&bytes[0]);
    const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(raw, bytes.size());
    Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, raw, bytes.size());
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + bytes;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void ShowBadFiles(const std::filesystem::path& folder, Vexir::IMgrConsole* consoles)
{
    const std::string good = Packed("a poem\nof two lines\n");
    std::string wrongScheme = good, flipped = good;
    wrongScheme[4] = 7;
    flipped[good.size() - 3] ^= 0x20;
    WriteFile(folder / "truncated-header.txt", good.substr(0, 16));
    WriteFile(folder / "wrong-scheme.txt", wrongScheme);
    WriteFile(folder / "flipped-byte.txt", flipped);
    consoles->PrintInfo("damaged files, each by its full path (a file shorter than a header is plain text):\n");
    for (const char* name : {"truncated-header.txt", "wrong-scheme.txt", "flipped-byte.txt", "missing.txt"}) {
        IAsset::Status status = IAsset::Unknown;
        const Vexir::Path path((folder / name).generic_u8string());
        IAsset* asset = Vexir::GetMgrAssets()->GetAsset(path, kTextType, &status);
        consoles->PrintInfo("  %-22s %s\n", name, IAsset::StatusString(status));
        if (asset)
            Vexir::GetMgrAssets()->ReleaseAsset(asset);
    }
}

}  // namespace

void TourAssets(Vexir::IMgrConsole* consoles, const std::filesystem::path& tourFolder)
{
    Heading("Assets: pack, search, translate, verify");
    const std::filesystem::path folder = tourFolder / "assets";
    std::filesystem::create_directory(folder);
    WriteFile(folder / "poem.txt", Packed("Roses are red,\nassets are checked,\nbytes that were scrambled\ncome back "
                                          "as expected.\n"));
    Vexir::IMgrAssets* assets = Vexir::GetMgrAssets();
    assets->AddSearchPath(Vexir::Path(folder.generic_u8string() + "/"), kTextType);
    consoles->PrintInfo("packed poem.txt into %s and added that folder as a search path\n",
                        folder.generic_u8string().c_str());

    LineCounter counter;
    IAsset::Status status = IAsset::Unknown;
    IAsset* poem = assets->GetAsset(Vexir::Path("poem.txt"), kTextType, &counter, &status);
    if (poem) {
        int lines = 0;
        std::memcpy(&lines, poem->GetDataPtr(), sizeof lines);
        consoles->PrintInfo("\"poem.txt\" was found at %s: %s, %d lines counted by the tour's translator\n",
                            poem->GetPath().AsChar(), IAsset::StatusString(status), lines);
        assets->ReleaseAsset(poem);
    } else {
        consoles->PrintError("poem.txt did not load: %s\n", IAsset::StatusString(status));
    }
    ShowBadFiles(folder, consoles);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace VexirTool
