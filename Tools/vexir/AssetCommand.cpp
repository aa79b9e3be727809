// `vexir asset`: makes and checks asset files through the library.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>
#include <Vexir/Utf8Util.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "AssetFiles.h"
#include "Command.h"

namespace VexirTool {

namespace {

using Vexir::IAsset;
using Vexir::Path;

const int kBinaryType = 2;

struct AssetArguments {
    std::string input, output;
    std::vector<std::string> files;
    bool plain = false;
};

// One file may not be both: the output would be gone before it was read.
void RefuseSameFile(const std::string& command, const AssetFile& input, const AssetFile& output)
{
    std::error_code error;
    if (input.path == output.path || std::filesystem::equivalent(input.path, output.path, error))
        throw UsageError(command, "IN and OUT are the same file");
}

int Pack(const AssetArguments& arguments)
{
    const AssetFile input = NameOf("asset pack", arguments.input), output = NameOf("asset pack", arguments.output);
    RefuseSameFile("asset pack", input, output);
    std::string payload, why;
    if (!ReadRegularFile(input, payload, why))
        return Fail("asset pack", "cannot read " + input.typed + ": " + why);
    auto* bytes = reinterpret_cast<unsigned char*>(&payload[0]);
    const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(bytes, payload.size());
    Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, bytes, payload.size());
    if (!WriteReplacing(output, std::string(reinterpret_cast<const char*>(&header), sizeof header) + payload, why))
        return Fail("asset pack", "cannot write " + output.typed + ": " + why);
    std::printf("packed %s (%zu bytes) into %s\n", input.typed.c_str(), payload.size(), output.typed.c_str());
    return kSucceeded;
}

// A regular file the library can open: its library name, its size, and whether
// it carries a header (and so a digest); false with the reason otherwise.
bool Examine(const AssetFile& file, Path& name, bool& headed, std::string& why, unsigned long long* size = nullptr)
{
    unsigned long long bytes = 0;
    if (!RegularFileSize(file, size ? *size : bytes, why) || !file.LibraryPath(name, why))
        return false;
    Vexir::AssetFileHeader header;
    headed = Vexir::ReadAssetFileHeader(name, header);
    return true;
}

int Unpack(const AssetArguments& arguments)
{
    const AssetFile input = NameOf("asset unpack", arguments.input);
    const AssetFile output = NameOf("asset unpack", arguments.output);
    RefuseSameFile("asset unpack", input, output);
    Path name;
    bool headed = false;
    std::string why;
    if (!Examine(input, name, headed, why))
        return Fail("asset unpack", "cannot read " + input.typed + ": " + why);
    if (!headed && !arguments.plain)
        return Fail("asset unpack", input.typed + " has no header, so no digest to check it against "
                                                  "(--plain copies such a file as it is)");
    IAsset::Status status = IAsset::Unknown;
    IAsset* asset = Vexir::GetMgrAssets()->GetAsset(name, kBinaryType, &status);
    if (!asset)
        return Fail("asset unpack", input.typed + ": " + IAsset::StatusString(status));
    const std::string payload(static_cast<const char*>(asset->GetDataPtr()), asset->GetDataSize());
    Vexir::GetMgrAssets()->ReleaseAsset(asset);
    if (!WriteReplacing(output, payload, why))
        return Fail("asset unpack", "cannot write " + output.typed + ": " + why);
    std::printf("%s %s and wrote its %zu bytes to %s\n", headed ? "verified" : "copied (no header)",
                input.typed.c_str(), payload.size(), output.typed.c_str());
    return kSucceeded;
}

// Verifies one file: its status line on standard output when it is Loaded,
// on standard error otherwise.
bool VerifyOne(const std::string& typed)
{
    const AssetFile file = NameOf("asset verify", typed);
    Path name;
    bool headed = false;
    std::string why;
    if (!Examine(file, name, headed, why)) {
        std::fprintf(stderr, "%s: cannot be read: %s\n", typed.c_str(), why.c_str());
        return false;
    }
    if (!headed) {
        std::fprintf(stderr, "%s: no header, so no digest to verify\n", typed.c_str());
        return false;
    }
    IAsset::Status status = IAsset::Unknown;
    IAsset* asset = Vexir::GetMgrAssets()->GetAsset(name, kBinaryType, &status);
    if (asset)
        Vexir::GetMgrAssets()->ReleaseAsset(asset);
    std::fprintf(status == IAsset::Loaded ? stdout : stderr, "%s: %s\n", typed.c_str(), IAsset::StatusString(status));
    return status == IAsset::Loaded;
}

int Verify(const AssetArguments& arguments)
{
    int failures = 0;
    for (const std::string& typed : arguments.files) {
        bool verified = false;
        try {
            verified = VerifyOne(typed);
        } catch (const utf8util::utf8_conversion_error&) {
            std::fprintf(stderr, "%s: cannot be read: the name is not UTF-8\n", typed.c_str());
        }
        std::fflush(stdout);
        failures += verified ? 0 : 1;
    }
    return failures == 0 ? kSucceeded : kFailed;
}

int Info(const AssetArguments& arguments)
{
    const AssetFile file = NameOf("asset info", arguments.input);
    Path name;
    bool headed = false;
    unsigned long long size = 0;
    std::string why;
    if (!Examine(file, name, headed, why, &size))
        return Fail("asset info", "cannot read " + file.typed + ": " + why);
    Vexir::AssetFileHeader header;
    if (!headed || !Vexir::ReadAssetFileHeader(name, header)) {
        std::printf("%s: no header (plain file), payload %llu bytes\n", file.typed.c_str(), size);
        return kSucceeded;
    }
    char digest[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(digest + 2 * i, 3, "%02x", header.digest[i]);
    std::printf("%s: header, scheme %u, digest %s, payload %llu bytes\n", file.typed.c_str(), header.scheme, digest,
                size - sizeof header);
    return kSucceeded;
}

}  // namespace

void AddAsset(CLI::App& tool, int& status)
{
    static AssetArguments s_arguments;
    CLI::App* asset = tool.add_subcommand("asset", "make and check asset files");
    asset->require_subcommand(1);
    const auto add = [&](const char* name, const char* description, int (*run)(const AssetArguments&)) {
        CLI::App* command = asset->add_subcommand(name, description);
        command->callback([&status, run] { status = run(s_arguments); });
        return command;
    };
    CLI::App* pack = add("pack", "write IN as a headed asset: digest of the plain bytes, then scrambled", Pack);
    pack->add_option("IN", s_arguments.input, "a regular file")->required();
    pack->add_option("OUT", s_arguments.output, "the asset to write; replaced only once it is complete")->required();
    CLI::App* unpack = add("unpack", "verify an asset and write its plain payload", Unpack);
    unpack->add_option("IN", s_arguments.input, "a headed asset")->required();
    unpack->add_option("OUT", s_arguments.output, "the file to write; replaced only once it is complete")->required();
    unpack->add_flag("--plain", s_arguments.plain, "copy a file without a header as it is (nothing checks it)");
    CLI::App* verify = add("verify", "print each file's load status; fails unless every one is Loaded", Verify);
    verify->add_option("FILE", s_arguments.files, "headed assets; a file without a header fails")->required();
    CLI::App* info = add("info", "print whether FILE has a header, its scheme, digest and payload size", Info);
    info->add_option("FILE", s_arguments.input, "a regular file")->required();
}

}  // namespace VexirTool
