// `vexir asset`: makes and checks asset files through the library.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>
#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Command.h"

namespace VexirTool {

namespace {

using Vexir::IAsset;
using Vexir::Path;

const int kBinaryType = 2;

bool ReadWhole(const std::string& name, std::string& bytes)
{
    std::ifstream file(std::filesystem::u8path(name), std::ios::binary);
    if (!file)
        return false;
    std::ostringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return true;
}

bool WriteWhole(const std::string& name, const std::string& bytes)
{
    std::ofstream file(std::filesystem::u8path(name), std::ios::binary);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "vexir asset: %s\n", message.c_str());
    return 1;
}

int Pack(const std::string& input, const std::string& output)
{
    std::string payload;
    if (!ReadWhole(input, payload))
        return Fail("cannot read " + input);
    auto* bytes = reinterpret_cast<unsigned char*>(&payload[0]);
    const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(bytes, payload.size());
    Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, bytes, payload.size());
    if (!WriteWhole(output, std::string(reinterpret_cast<const char*>(&header), sizeof header) + payload))
        return Fail("cannot write " + output);
    std::printf("packed %s (%zu bytes) into %s\n", input.c_str(), payload.size(), output.c_str());
    return 0;
}

// Loads a file as a binary asset through the manager.
IAsset* LoadAsset(const std::string& name, IAsset::Status& status)
{
    return Vexir::GetMgrAssets()->GetAsset(Path(name), kBinaryType, &status);
}

int Unpack(const std::string& input, const std::string& output)
{
    IAsset::Status status = IAsset::Unknown;
    IAsset* asset = LoadAsset(input, status);
    if (!asset)
        return Fail(input + ": " + IAsset::StatusString(status));
    const std::string payload(static_cast<const char*>(asset->GetDataPtr()), asset->GetDataSize());
    Vexir::GetMgrAssets()->ReleaseAsset(asset);
    if (!WriteWhole(output, payload))
        return Fail("cannot write " + output);
    std::printf("verified %s and wrote its %zu bytes to %s\n", input.c_str(), payload.size(), output.c_str());
    return 0;
}

int Verify(const Arguments& files)
{
    int failures = 0;
    for (const std::string& name : files) {
        IAsset::Status status = IAsset::Unknown;
        IAsset* asset = LoadAsset(name, status);
        if (asset)
            Vexir::GetMgrAssets()->ReleaseAsset(asset);
        std::printf("%s: %s\n", name.c_str(), IAsset::StatusString(status));
        failures += status == IAsset::Loaded ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}

int Info(const std::string& name)
{
    unsigned long long size = 0;
    {
        std::ifstream file(std::filesystem::u8path(name), std::ios::binary | std::ios::ate);
        if (!file)
            return Fail("cannot read " + name);
        size = static_cast<unsigned long long>(file.tellg());
    }
    Vexir::AssetFileHeader header;
    if (!Vexir::ReadAssetFileHeader(Path(name), header)) {
        std::printf("%s: no header (plain file), payload %llu bytes\n", name.c_str(), size);
        return 0;
    }
    char digest[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(digest + 2 * i, 3, "%02x", header.digest[i]);
    std::printf("%s: header, scheme %u, digest %s, payload %llu bytes\n", name.c_str(), header.scheme, digest,
                size - sizeof header);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: vexir asset pack IN OUT | unpack IN OUT | verify FILE... | info FILE\n");
    return 2;
}

}  // namespace

int RunAsset(const Arguments& arguments)
{
    try {
        const std::string action = arguments.empty() ? "" : arguments[0];
        const Arguments rest(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
        if (action == "pack" && rest.size() == 2)
            return Pack(rest[0], rest[1]);
        if (action == "unpack" && rest.size() == 2)
            return Unpack(rest[0], rest[1]);
        if (action == "verify" && !rest.empty())
            return Verify(rest);
        if (action == "info" && rest.size() == 1)
            return Info(rest[0]);
        return Usage();
    } catch (const utf8util::utf8_conversion_error& error) {
        return Fail(error.what());
    }
}

}  // namespace VexirTool
