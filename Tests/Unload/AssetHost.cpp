// The plug-in of AssetHost.h. Its one function is found by name at run time.
#include <Vexir/Assets.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AssetHost.h"

namespace {

const int kTextureType = 2, kMaterialType = 1;
const int kTextures = 3, kMaterials = 3;  // and one of each made in the other order

class TextureData : public Vexir::IAssetData {
public:
    explicit TextureData(AssetHostRecord* record) : _pRecord(record) {}
    std::size_t GetSize() override { return 0; }
    void* GetPointer() override { return nullptr; }
    void Release() override
    {
        ++_pRecord->texturesReleased;
        delete this;
    }

private:
    AssetHostRecord* _pRecord;
};

class TextureTranslator : public Vexir::IAssetTranslator {
public:
    explicit TextureTranslator(AssetHostRecord* record) : _pRecord(record) {}
    Vexir::IAssetData* Translate(const void*, std::size_t) override { return new TextureData(_pRecord); }

private:
    AssetHostRecord* _pRecord;
};

// A material holds its textures and gives them back when it is released: host
// code that runs inside the library's release of the material.
class MaterialData : public Vexir::IAssetData {
public:
    MaterialData(AssetHostRecord* record, std::vector<Vexir::IAsset*> textures)
        : _pRecord(record), _lTextures(std::move(textures))
    {
    }
    void Hold(Vexir::IAsset* texture) { _lTextures.push_back(texture); }
    std::size_t GetSize() override { return 0; }
    void* GetPointer() override { return nullptr; }
    void Release() override
    {
        for (Vexir::IAsset* texture : _lTextures)
            Vexir::GetMgrAssets()->ReleaseAsset(texture);
        ++_pRecord->materialsReleased;
        delete this;
    }

private:
    AssetHostRecord* _pRecord;
    std::vector<Vexir::IAsset*> _lTextures;
};

class MaterialTranslator : public Vexir::IAssetTranslator {
public:
    MaterialTranslator(AssetHostRecord* record, std::vector<Vexir::Path> textures)
        : _pRecord(record), _lTextures(std::move(textures))
    {
    }
    Vexir::IAssetData* Translate(const void*, std::size_t) override
    {
        TextureTranslator translator(_pRecord);
        std::vector<Vexir::IAsset*> textures;
        for (const Vexir::Path& path : _lTextures) {
            Vexir::IAsset::Status status;
            if (Vexir::IAsset* texture = Vexir::GetMgrAssets()->GetAsset(path, kTextureType, &translator, &status))
                textures.push_back(texture);
        }
        return new MaterialData(_pRecord, std::move(textures));
    }

private:
    AssetHostRecord* _pRecord;
    std::vector<Vexir::Path> _lTextures;
};

Vexir::Path WriteFile(const std::string& directory, const std::string& name)
{
    const std::filesystem::path file = std::filesystem::u8path(directory) / name;
    std::ofstream(file, std::ios::binary) << name;
    return Vexir::Path(file.generic_u8string());
}

}  // namespace

// The textures first, each held by the host, then the materials, each holding
// every texture: the library holds them all when it unloads. Last, a material
// given a texture made after it, which only the material holds.
extern "C" bool VexirTestHoldCompositeAssets(const char* directory, AssetHostRecord* record)
{
    std::vector<Vexir::Path> textures;
    for (int i = 0; i < kTextures; ++i)
        textures.push_back(WriteFile(directory, "texture" + std::to_string(i) + ".bin"));
    TextureTranslator textureTranslator(record);
    MaterialTranslator materialTranslator(record, textures);
    Vexir::IAsset::Status status;
    bool loaded = true;
    for (const Vexir::Path& texture : textures)
        loaded &= Vexir::GetMgrAssets()->GetAsset(texture, kTextureType, &textureTranslator, &status) != nullptr;
    for (int i = 0; i < kMaterials; ++i) {
        const Vexir::Path material = WriteFile(directory, "material" + std::to_string(i) + ".txt");
        loaded &= Vexir::GetMgrAssets()->GetAsset(material, kMaterialType, &materialTranslator, &status) != nullptr;
    }
    MaterialTranslator bare(record, {});
    Vexir::IAsset* older = Vexir::GetMgrAssets()->GetAsset(WriteFile(directory, "older.txt"), kMaterialType, &bare,
                                                           &status);
    Vexir::IAsset* newer = Vexir::GetMgrAssets()->GetAsset(WriteFile(directory, "newer.bin"), kTextureType,
                                                           &textureTranslator, &status);
    if (!older || !newer)
        return false;
    static_cast<MaterialData*>(older->GetData())->Hold(newer);
    return loaded;
}
