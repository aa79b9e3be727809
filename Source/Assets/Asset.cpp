#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "Assets/Md5.h"
#include "Files/FileSystem.h"

namespace Vexir {

namespace {

const unsigned kNoHeader = 0xFFFFFFFFu;
const unsigned long long kHeaderSize = sizeof(AssetFileHeader);

enum ReadMode : unsigned { NoReadMode = 0, BinaryMode = 1, TextMode = 2 };

ReadMode ReadModeOf(unsigned type)
{
    switch (type) {
    case 1:
    case 4:
        return TextMode;
    case 2:
    case 3:
        return BinaryMode;
    default:
        return NoReadMode;
    }
}

bool IsHeader(const AssetFileHeader& header)
{
    return std::memcmp(header.magic, "PRVN", 4) == 0 && std::memcmp(header.tag, "ENC", 3) == 0;
}

// Closes the stream when the read is over, whichever way it ends.
class InputFile {
public:
    explicit InputFile(const Path& path) : _pStream(OpenStream(path.AsChar(), 0)) {}
    ~InputFile()
    {
        if (_pStream)
            std::fclose(_pStream);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return _pStream != nullptr; }
    std::size_t Read(void* buffer, std::size_t size) { return std::fread(buffer, 1, size, _pStream); }

private:
    std::FILE* _pStream;
};

struct FreeBytes {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};
using Bytes = std::unique_ptr<unsigned char, FreeBytes>;

// Reads the payload of `size` bytes (the last one kept for the terminator in
// text) into `buffer`, unscrambled and verified when the file has a header:
// Loaded, or the status of what went wrong.
IAsset::Status ReadPayload(const Path& path, unsigned scheme, bool text, unsigned char* buffer, std::size_t size)
{
    std::size_t read = 0;
    AssetFileHeader header;
    {
        InputFile file(path);
        if (!file.IsOpen())
            return IAsset::UnreadableFile;
        if (scheme != kNoHeader && file.Read(&header, sizeof header) != sizeof header)
            return IAsset::UnreadableFile;
        const std::size_t wanted = text && size > 0 ? size - 1 : size;
        read = file.Read(buffer, wanted);
        // A file that has changed size since Initialize is not the file that
        // was examined: fewer bytes, or one more behind them, and it fails.
        unsigned char beyond;
        if (read != wanted || file.Read(&beyond, 1) != 0)
            return IAsset::UnreadableFile;
    }
    // Nor is one of the same size that gained or lost its header, or changed
    // its scheme: its bytes would be taken for a payload they are not.
    if (scheme == kNoHeader && read >= sizeof header)
        std::memcpy(&header, buffer, sizeof header);
    const bool headed = (scheme != kNoHeader || read >= sizeof header) && IsHeader(header);
    if (headed != (scheme != kNoHeader) || (headed && header.scheme != scheme))
        return IAsset::UnreadableFile;
    if (scheme != kNoHeader) {
        Encryption::Decrypt(static_cast<Encryption::Scheme>(scheme), buffer, read);
        unsigned char digest[16];
        Encryption::ComputeMd5(buffer, read, digest);
        if (std::memcmp(digest, header.digest, sizeof digest) != 0)
            return IAsset::InvalidCRC;
    }
    if (text && read + 1 == size)
        buffer[read] = 0;
    return IAsset::Loaded;
}

}  // namespace

const char* IAsset::StatusString(const Status& status)
{
    static const char* const kTexts[] = {
        "Unknown",         "Unloaded",
        "Loaded",          "Invalid Path",
        "Invalid Type",    "Invalid File Format",
        "Invalid Encryption Scheme", "Invalid CRC",
        "Unreadable File", "Out of Memory",
        "Reference Underflow", "Not found on Search Path",
        "Conflicting Type", "Translation Failed",
    };
    const int index = static_cast<int>(status);
    return index >= 0 && index < static_cast<int>(sizeof kTexts / sizeof kTexts[0]) ? kTexts[index]
                                                                                      : "(unknown status)";
}

AssetDataRaw::AssetDataRaw(unsigned char* bytes, std::size_t byteCount) : _pBytes(bytes), _uByteCount(byteCount) {}

AssetDataRaw::~AssetDataRaw() { std::free(_pBytes); }

void AssetDataRaw::Release() { delete this; }

AssetFileHeader MakeAssetFileHeader(const unsigned char* payload, unsigned long long size)
{
    AssetFileHeader header;
    std::memcpy(header.magic, "PRVN", 4);
    header.scheme = Encryption::Scheme0;
    std::memcpy(header.tag, "ENC", 3);
    Encryption::ComputeMd5(payload, size, header.digest);
    return header;
}

bool ReadAssetFileHeader(const Path& path, AssetFileHeader& header)
{
    InputFile file(path);
    return file.IsOpen() && file.Read(&header, sizeof header) == sizeof header && IsHeader(header);
}

Asset::Asset()
    : _eStatus(Unknown), _uType(0), _uSize(0), _uReadMode(NoReadMode), _uScheme(kNoHeader), _uReferences(0),
      _pAssetData(nullptr)
{
}

Asset::~Asset()
{
    if (_pAssetData)
        _pAssetData->Release();
}

bool Asset::Fail(Status status)
{
    _eStatus = status;
    return false;
}

bool Asset::Initialize(const Path& path, unsigned type)
{
    if (!path.IsValid())
        return Fail(InvalidPath);
    if (type == 0)
        return Fail(InvalidType);
    unsigned long long fileSize = 0;
    if (!QueryFileSize(path.AsChar(), fileSize))
        return Fail(UnreadableFile);
    _uScheme = kNoHeader;
    _uSize = fileSize;
    if (fileSize >= kHeaderSize) {
        InputFile file(path);
        AssetFileHeader header;
        if (!file.IsOpen() || file.Read(&header, sizeof header) != sizeof header)
            return Fail(UnreadableFile);
        if (IsHeader(header)) {
            if (header.scheme != Encryption::Scheme0)
                return Fail(InvalidEncryptionScheme);
            _uScheme = Encryption::Scheme0;
            _uSize = fileSize - kHeaderSize;
        }
    }
    _uReadMode = ReadModeOf(type);
    if (_uReadMode == NoReadMode)
        return Fail(InvalidFileFormat);
    if (_uReadMode == TextMode)
        ++_uSize;
    _path = path;
    _uType = type;
    _uReferences = 0;
    _eStatus = Unloaded;
    return true;
}

std::size_t Asset::GetDataSize() { return _pAssetData ? _pAssetData->GetSize() : 0; }

void* Asset::GetDataPtr() { return _pAssetData ? _pAssetData->GetPointer() : nullptr; }

bool Asset::Load(IAssetTranslator* translator)
{
    if (!_path.IsValid())
        return Fail(InvalidPath);
    _eStatus = Unknown;
    Unload();

    // One buffer, read into directly and kept by the raw data object.
    const std::size_t size = static_cast<std::size_t>(_uSize);
    Bytes buffer(static_cast<unsigned char*>(std::malloc(size ? size : 1)));
    if (!buffer)
        return Fail(OutOfMemory);
    const Status read = ReadPayload(_path, _uScheme, _uReadMode == TextMode, buffer.get(), size);
    if (read != Loaded)
        return Fail(read);

    IAssetData* data = nullptr;
    if (translator) {
        // The host's own exception is the host's to handle; the buffer goes
        // with the unwinding.
        try {
            data = translator->Translate(buffer.get(), size);
        } catch (...) {
            Fail(TranslationFailed);
            throw;
        }
    } else {
        data = new (std::nothrow) AssetDataRaw(buffer.get(), size);
        if (data)
            buffer.release();
    }
    if (!data)
        return Fail(TranslationFailed);
    _pAssetData = data;
    _eStatus = Loaded;
    return true;
}

void Asset::Unload()
{
    if (_pAssetData) {
        _pAssetData->Release();
        _pAssetData = nullptr;
        _eStatus = Unloaded;
    } else {
        _eStatus = Unknown;
    }
}

unsigned Asset::RemoveRef()
{
    if (_uReferences == 0) {
        _eStatus = ReferenceUnderflow;
        return 0;
    }
    return --_uReferences;
}

}  // namespace Vexir
