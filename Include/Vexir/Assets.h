// Assets: files the host wants in memory, found along per-type search paths,
// verified when they carry a header, turned into the host's own data by a
// translator, and shared by reference count through the asset manager.
//
// File layout: an optional 24-byte header, then the payload.
//
//   offset  size  content
//   0       4     "PRVN"
//   4       1     scrambling scheme (only 0)
//   5       3     "ENC"
//   8       16    MD5 of the plain payload
//   24      ...   payload, scrambled (Encryption::Encrypt, position 0 at offset 24)
//
// A file without both the magic and the tag, and every file shorter than 24
// bytes, is plain: its whole content is the payload. Sizes are 64-bit.
//
// Types 1 and 4 load as text (one zero byte appended and counted), 2 and 3 as
// binary; type 0 is refused, any other type is not a supported format.
//
// Malformed UTF-8 in a path throws utf8util::utf8_conversion_error.
#pragma once

#include <Vexir/Path.h>

#include <cstddef>

namespace Vexir {

// Loaded data; the asset owns it and gives it back through Release.
class VEXIR_API IAssetData {
public:
    virtual ~IAssetData() = default;
    virtual std::size_t GetSize() = 0;
    virtual void* GetPointer() = 0;
    virtual void Release() = 0;
};

// The file's bytes unchanged, in a buffer allocated with std::malloc that the
// object takes over.
class VEXIR_API AssetDataRaw : public IAssetData {
public:
    AssetDataRaw(unsigned char* bytes, std::size_t byteCount);
    ~AssetDataRaw() override;
    AssetDataRaw(const AssetDataRaw&) = delete;
    AssetDataRaw& operator=(const AssetDataRaw&) = delete;

    std::size_t GetSize() override { return _uByteCount; }
    void* GetPointer() override { return _pBytes; }
    void Release() override;

private:
    unsigned char* _pBytes;
    std::size_t _uByteCount;
};

// Implemented by the host: turns a file's bytes into the host's data. `data`
// lives only during the call. Null means the translation failed.
class VEXIR_API IAssetTranslator {
public:
    virtual ~IAssetTranslator() = default;
    virtual IAssetData* Translate(const void* data, std::size_t size) = 0;
};

class VEXIR_API IAsset {
public:
    enum Status : int {
        Unknown = 0,
        Unloaded = 1,
        Loaded = 2,
        InvalidPath = 3,
        InvalidType = 4,
        InvalidFileFormat = 5,
        InvalidEncryptionScheme = 6,
        InvalidCRC = 7,
        UnreadableFile = 8,
        OutOfMemory = 9,
        ReferenceUnderflow = 10,
        NotFoundOnSearchPath = 11,
        ConflictingType = 12,
        TranslationFailed = 13,
    };

    virtual ~IAsset() = default;
    // Binds the asset to a file and a type and checks the file's header.
    virtual bool Initialize(const Path& path, unsigned type) = 0;
    virtual Status GetStatus() = 0;
    virtual const Path& GetPath() = 0;
    virtual unsigned GetType() = 0;
    virtual IAssetData* GetData() = 0;
    virtual std::size_t GetDataSize() = 0;
    virtual void* GetDataPtr() = 0;
    // Reads, unscrambles and verifies the file, then hands the bytes to the
    // translator, or keeps them raw without one. A file whose size is no
    // longer what Initialize found (cut short or grown since) is not read:
    // UnreadableFile, until Initialize looks at it again.
    virtual bool Load(IAssetTranslator* translator) = 0;
    virtual void Unload() = 0;
    virtual void AddRef() = 0;
    // The references left; at 0 already it reports ReferenceUnderflow.
    virtual unsigned RemoveRef() = 0;
    virtual unsigned GetRefCount() = 0;

    // "Loaded", "Invalid CRC", ...; "(unknown status)" for other values.
    static const char* StatusString(const Status& status);
};

class VEXIR_API Asset : public IAsset {
public:
    Asset();
    ~Asset() override;
    Asset(const Asset&) = delete;
    Asset& operator=(const Asset&) = delete;

    bool Initialize(const Path& path, unsigned type) override;
    Status GetStatus() override { return _eStatus; }
    const Path& GetPath() override { return _path; }
    unsigned GetType() override { return _uType; }
    IAssetData* GetData() override { return _pAssetData; }
    std::size_t GetDataSize() override;
    void* GetDataPtr() override;
    bool Load(IAssetTranslator* translator) override;
    void Unload() override;
    void AddRef() override { ++_uReferences; }
    unsigned RemoveRef() override;
    unsigned GetRefCount() override { return _uReferences; }

private:
    bool Fail(Status status);

    Status _eStatus;
    Path _path;
    unsigned _uType;
    unsigned long long _uSize;
    unsigned _uReadMode;
    unsigned _uScheme;
    unsigned _uReferences;
    IAssetData* _pAssetData;
};

// The 24-byte header of a scrambled asset file.
struct AssetFileHeader {
    char magic[4];
    unsigned char scheme;
    char tag[3];
    unsigned char digest[16];
};
static_assert(sizeof(AssetFileHeader) == 24, "the header is 24 bytes on disk");

// The header for a payload: its digest, scheme 0. A file is this header
// followed by the payload scrambled with Encryption::Encrypt.
VEXIR_API AssetFileHeader MakeAssetFileHeader(const unsigned char* payload, unsigned long long size);
// Reads the first 24 bytes of a file; true when they are a header (magic and
// tag), whatever its scheme.
VEXIR_API bool ReadAssetFileHeader(const Path& path, AssetFileHeader& header);

class VEXIR_API IMgrAssets {
public:
    virtual ~IMgrAssets() = default;
    // Where GetAsset would find the path: an absolute path, or one whose type
    // has no search directories, as it stands; otherwise under each search
    // directory in turn. Files and directories both count.
    virtual bool FindFile(const Path& path, int type, Path* resolved) = 0;
    // The asset of that path, loaded, with one more reference; null on failure.
    // `status` receives the outcome on every call.
    virtual IAsset* GetAsset(const Path& path, int type, IAssetTranslator* translator, IAsset::Status* status) = 0;
    virtual IAsset* GetAsset(const Path& path, int type, IAsset::Status* status) = 0;
    // Drops one reference; the last one unloads and deletes the asset. An asset
    // the manager did not make is deleted too, and the result is false.
    virtual bool ReleaseAsset(IAsset* asset) = 0;
    virtual bool ReleaseAsset(const Path& path) = 0;
    // Appends a search directory for a type (not 0).
    virtual bool AddSearchPath(const Path& directory, int type) = 0;
    // Appends the directories of a ";"-separated list.
    virtual bool AddSearchPaths(const std::string& list, int type) = 0;
};

// The asset manager, made on the first call; null once the library unloads.
// Unloading deletes the assets it still holds, releasing their data through
// the host's translators. That is after the host's static destructors and exit
// handlers have run, so a host whose asset data needs its own globals releases
// its assets before its own exit.
VEXIR_API IMgrAssets* GetMgrAssets();

}  // namespace Vexir
