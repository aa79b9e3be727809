/// @file
/// Assets: files the host wants in memory, found along per-type search paths,
/// verified when they carry a header, turned into the host's own data by a
/// translator, and shared by reference count through the asset manager.
///
/// File layout: an optional 24-byte header (Vexir::AssetFileHeader), then the
/// payload.
///
/// @verbatim
///   offset  size  content
///   0       4     "PRVN"
///   4       1     scrambling scheme (only 0)
///   5       3     "ENC"
///   8       16    MD5 of the plain payload
///   24      ...   payload, scrambled (Encryption::Encrypt, position 0 at offset 24)
/// @endverbatim
///
/// A file without both the magic and the tag, and every file shorter than 24
/// bytes, is plain: its whole content is the payload. Sizes are 64-bit.
///
/// Asset types: the library knows four kinds, which differ only in how the
/// bytes are read; what each stands for beyond that is the host's choice.
///
/// @code{.unparsed}
///   type  read as
///   1, 4  text: one zero byte appended after the content, and counted
///   2, 3  binary: the content exactly
///   0     refused: InvalidType
///   5...  no kind the library reads: InvalidFileFormat once the file is found
/// @endcode
///
/// Malformed UTF-8 in a path throws utf8util::utf8_conversion_error (from
/// Vexir::IAsset::Initialize, Vexir::IAsset::Load, Vexir::ReadAssetFileHeader,
/// Vexir::IMgrAssets::FindFile and Vexir::IMgrAssets::GetAsset).
///
/// Neither the assets nor the manager are synchronised: use them from one
/// thread at a time.
#pragma once

#include <Vexir/Path.h>

#include <cstddef>

namespace Vexir {

/// Loaded data; the asset owns it and gives it back through Release.
///
/// A host implements it for what its IAssetTranslator makes.
class VEXIR_API IAssetData {
public:
    virtual ~IAssetData() = default;
    /// The size of the data in bytes.
    virtual std::size_t GetSize() = 0;
    /// The data; valid until Release.
    virtual void* GetPointer() = 0;
    /// Gives the data back. The asset that holds it calls this once, when it
    /// unloads, loads again or is deleted (which can be at library unload, see
    /// GetMgrAssets); the object is not used afterwards.
    virtual void Release() = 0;
};

/// The file's bytes unchanged, in a buffer allocated with std::malloc that the
/// object takes over.
///
/// An asset loaded without a translator holds its data as one of these.
class VEXIR_API AssetDataRaw : public IAssetData {
public:
    /// Takes over `bytes`, a buffer of `byteCount` bytes from std::malloc.
    AssetDataRaw(unsigned char* bytes, std::size_t byteCount);
    /// Frees the buffer with std::free.
    ~AssetDataRaw() override;
    AssetDataRaw(const AssetDataRaw&) = delete;
    AssetDataRaw& operator=(const AssetDataRaw&) = delete;

    /// The buffer's size in bytes (for a text type, the appended zero included).
    std::size_t GetSize() override { return _uByteCount; }
    /// The buffer.
    void* GetPointer() override { return _pBytes; }
    /// Deletes this object, freeing the buffer: the object must come from new.
    void Release() override;

private:
    unsigned char* _pBytes;
    std::size_t _uByteCount;
};

/// Implemented by the host: turns a file's bytes into the host's data.
class VEXIR_API IAssetTranslator {
public:
    virtual ~IAssetTranslator() = default;
    /// Returns the host's data made from `size` bytes at `data`, or null when
    /// the translation failed (the load then fails with
    /// IAsset::TranslationFailed).
    ///
    /// The bytes are the plain payload, already unscrambled and verified; for a
    /// text type `size` counts the appended zero byte. `data` lives only during
    /// the call: copy what the result needs. The asset owns the returned object
    /// and calls its IAssetData::Release when it is done with it.
    ///
    /// An exception thrown here passes through IAsset::Load and
    /// IMgrAssets::GetAsset to their caller, unchanged; the library keeps
    /// nothing of that load (no bytes, no data, no asset in the manager).
    virtual IAssetData* Translate(const void* data, std::size_t size) = 0;
};

/// One asset file in memory: bound to a path and a type by Initialize, read by
/// Load, and shared by reference count.
///
/// Every operation leaves its outcome in GetStatus. The reference count is a
/// plain counter; an asset is not synchronised.
class VEXIR_API IAsset {
public:
    /// The outcome of an asset's last operation, also reported by
    /// IMgrAssets::GetAsset.
    enum Status : int {
        Unknown = 0,                   ///< Nothing known yet: a new asset, or one that Unload found without data.
        Unloaded = 1,                  ///< Initialized, or unloaded: bound to its file, no data held.
        Loaded = 2,                    ///< The data is in memory.
        InvalidPath = 3,               ///< The path is not valid, or Load came before a successful Initialize.
        InvalidType = 4,               ///< The type is 0.
        InvalidFileFormat = 5,         ///< The file is there, but its type is none of the kinds 1 to 4: there is no way to read it.
        InvalidEncryptionScheme = 6,   ///< The header names a scrambling scheme other than 0.
        InvalidCRC = 7,                ///< The payload does not match the header's MD5 digest.
        UnreadableFile = 8,            ///< The path names no regular file (a directory, a pipe), or the file cannot be queried, opened or read whole, or it has changed since Initialize.
        OutOfMemory = 9,               ///< No memory for the file's bytes (or, in the manager, for the asset).
        ReferenceUnderflow = 10,       ///< RemoveRef found no reference left.
        NotFoundOnSearchPath = 11,     ///< The manager could initialize the asset under none of its type's search directories.
        ConflictingType = 12,          ///< The manager holds that path already under another type.
        TranslationFailed = 13,        ///< The translator returned null (without one: the raw data object could not be made).
    };

    virtual ~IAsset() = default;
    /// Binds the asset to a file and a type and checks the file's header.
    ///
    /// True with status Unloaded and the reference count set to 0; false with
    /// InvalidPath, InvalidType, UnreadableFile, InvalidEncryptionScheme or
    /// InvalidFileFormat, after which the asset is to be initialized again
    /// before it is loaded. Meant for an asset that holds no data: data loaded
    /// before stays held.
    virtual bool Initialize(const Path& path, unsigned type) = 0;
    /// The outcome of the last operation.
    virtual Status GetStatus() = 0;
    /// The path of the last successful Initialize; an empty, invalid path before.
    virtual const Path& GetPath() = 0;
    /// The type of the last successful Initialize; 0 before.
    virtual unsigned GetType() = 0;
    /// The loaded data, or null; owned by the asset and valid until it unloads.
    virtual IAssetData* GetData() = 0;
    /// The loaded data's size in bytes, or 0 when nothing is loaded.
    virtual std::size_t GetDataSize() = 0;
    /// The loaded data's pointer, or null when nothing is loaded.
    virtual void* GetDataPtr() = 0;
    /// Reads, unscrambles and verifies the file, then hands the bytes to the
    /// translator, or keeps them raw (AssetDataRaw) without one. A file that is
    /// no longer what Initialize found (cut short or grown since, or of the
    /// same size but with a header gained, lost or of another scheme) is not
    /// loaded: UnreadableFile, until Initialize looks at it again.
    ///
    /// Data held before is released first, whatever the outcome. True with
    /// status Loaded; false with InvalidPath, OutOfMemory, UnreadableFile,
    /// InvalidCRC or TranslationFailed. An exception from the translator
    /// passes through, leaving TranslationFailed and no data.
    virtual bool Load(IAssetTranslator* translator) = 0;
    /// Releases the data: status Unloaded. Without data the status becomes
    /// Unknown.
    virtual void Unload() = 0;
    /// Adds one reference.
    virtual void AddRef() = 0;
    /// Removes one reference and returns the references left; at 0 already it
    /// reports ReferenceUnderflow and returns 0. Reaching 0 neither unloads nor
    /// deletes the asset (IMgrAssets::ReleaseAsset does).
    virtual unsigned RemoveRef() = 0;
    /// The number of references.
    virtual unsigned GetRefCount() = 0;

    /// "Loaded", "Invalid CRC", ...; "(unknown status)" for other values.
    /// Static text, never null.
    static const char* StatusString(const Status& status);
};

/// The library's asset, as IMgrAssets makes them. A host may make its own; one
/// handed to IMgrAssets::ReleaseAsset must come from new.
class VEXIR_API Asset : public IAsset {
public:
    /// An unbound asset: status Unknown, type 0, no references, no data.
    Asset();
    /// Releases the data it still holds.
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

/// The 24-byte header of a scrambled asset file, as it lies on disk.
struct AssetFileHeader {
    char magic[4];               ///< "PRVN", without a terminating zero.
    unsigned char scheme;        ///< The scrambling scheme; only 0 (Encryption::Scheme0) is read.
    char tag[3];                 ///< "ENC", without a terminating zero.
    unsigned char digest[16];    ///< The MD5 digest of the plain (unscrambled) payload.
};
static_assert(sizeof(AssetFileHeader) == 24, "the header is 24 bytes on disk");

/// The header for a payload: its digest, scheme 0. A file is this header
/// followed by the payload scrambled with Encryption::Encrypt. `payload` may be
/// null only when `size` is 0; otherwise the digest is left unset.
VEXIR_API AssetFileHeader MakeAssetFileHeader(const unsigned char* payload, unsigned long long size);
/// Reads the first 24 bytes of a file; true when they are a header (magic and
/// tag), whatever its scheme. False too when the file cannot be opened or is
/// shorter; `header` then holds whatever was read.
VEXIR_API bool ReadAssetFileHeader(const Path& path, AssetFileHeader& header);

/// The asset manager: loads each asset once and shares it by reference count.
///
/// Assets are held by the path they were requested under (its text after
/// Path's normalisation), not by the file found: two paths that reach one file
/// give two assets. Get the manager from GetMgrAssets. It is not synchronised:
/// call it from one thread at a time.
class VEXIR_API IMgrAssets {
public:
    virtual ~IMgrAssets() = default;
    /// Where the path is found: an absolute path, or one whose type has no
    /// search directories, as it stands; otherwise under each search directory
    /// in turn, the first where it exists. Only a regular file counts: a
    /// directory, a pipe or a device is never an asset file.
    ///
    /// Writes the path found to `resolved` unless that is null. False for an
    /// invalid path or when nothing is found. GetAsset looks alike but takes
    /// the first directory where the asset initializes, which can be a later
    /// one.
    virtual bool FindFile(const Path& path, int type, Path* resolved) = 0;
    /// The asset of that path, loaded, with one more reference; null on failure.
    /// `status` receives the outcome on every call, unless it is null.
    ///
    /// An asset held already is shared as it is (`translator` is not used);
    /// held under another type it gives ConflictingType. A new one is looked
    /// for as FindFile describes (NotFoundOnSearchPath when no search directory
    /// gives one; InvalidFileFormat, ending the search, when one holds the
    /// file but the type is no kind the library reads), then loaded with
    /// `translator` (null keeps the bytes raw).
    /// Give each asset back with ReleaseAsset. When a name that is not UTF-8,
    /// or the translator, throws, the exception reaches the caller and the new
    /// asset is gone with everything it had read.
    virtual IAsset* GetAsset(const Path& path, int type, IAssetTranslator* translator, IAsset::Status* status) = 0;
    /// GetAsset without a translator: the data is the file's bytes
    /// (AssetDataRaw).
    virtual IAsset* GetAsset(const Path& path, int type, IAsset::Status* status) = 0;
    /// Drops one reference; the last one unloads and deletes the asset. An asset
    /// the manager did not make is deleted too when its last reference goes
    /// (so it must come from new), and the result is false. Otherwise true;
    /// false also for null.
    virtual bool ReleaseAsset(IAsset* asset) = 0;
    /// Drops one reference of the asset held under that path, as
    /// ReleaseAsset(IAsset*) does; false when no asset is held under it.
    virtual bool ReleaseAsset(const Path& path) = 0;
    /// Appends a search directory for a type (not 0: false). The path names a
    /// directory, with a closing separator or without: "data/tex" is
    /// "data/tex/". An invalid path is refused (false, nothing added): a text
    /// that Path refused keeps only what came before its fault, its parent or
    /// nothing, where the wrong file would be found; a colon inside a name
    /// ("a:b"), quotes around the directory and a leading ".." are refused so.
    virtual bool AddSearchPath(const Path& directory, int type) = 0;
    /// Appends the directories of a ";"-separated list (";", not the ":" of
    /// Unix shells, whose "a:b" is one refused entry). Empty entries are
    /// skipped, and an entry without a closing separator is given one. False,
    /// adding nothing, for type 0, a list without an entry, and a list with an
    /// entry AddSearchPath would refuse.
    virtual bool AddSearchPaths(const std::string& list, int type) = 0;
};

/// The asset manager, made on the first call; null once the library unloads.
/// Unloading deletes the assets it still holds, releasing their data through
/// IAssetData::Release (the host's code, for what its translators made). That
/// is after the host's static destructors and exit handlers have run, so a
/// host whose asset data needs its own globals releases its assets before its
/// own exit. The first call is safe from any thread.
///
/// The assets are unloaded newest first, whatever their references, and
/// deleted only once all are unloaded. Data that holds other assets (a
/// material holding its textures) may give them back from its Release with
/// IMgrAssets::ReleaseAsset: one that is still held is released as usual, one
/// already unloaded by the teardown is left alone (false).
VEXIR_API IMgrAssets* GetMgrAssets();

}  // namespace Vexir
