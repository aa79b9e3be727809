#include <Vexir/Assets.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "AssetFiles.h"
#include "LeakCheck.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;
using VexirTest::HeadedFile;

class AssetTest : public ::testing::Test {
protected:
    Path At(const std::string& name) const { return Path(scratch.Path(name)); }

    // Initialize then Load; the status of the first step that fails.
    IAsset::Status Open(Asset& asset, const std::string& name, unsigned type,
                        IAssetTranslator* translator = nullptr)
    {
        if (asset.Initialize(At(name), type))
            asset.Load(translator);
        return asset.GetStatus();
    }

    std::string Data(Asset& asset) const
    {
        return std::string(static_cast<const char*>(asset.GetDataPtr()), asset.GetDataSize());
    }

    VexirTest::ScratchDirectory scratch;
};

TEST_F(AssetTest, PlainFilesLoadAsBinaryOrText)
{
    scratch.Write("ten.bin", "0123456789");
    Asset binary;
    ASSERT_EQ(Open(binary, "ten.bin", 2), IAsset::Loaded);
    EXPECT_EQ(Data(binary), "0123456789");
    EXPECT_EQ(binary.GetType(), 2u);
    EXPECT_EQ(binary.GetPath().AsString(), scratch.Path("ten.bin"));

    Asset text;
    ASSERT_EQ(Open(text, "ten.bin", 4), IAsset::Loaded);
    EXPECT_EQ(Data(text), std::string("0123456789\0", 11));
    Asset empty;
    scratch.Write("empty.txt", "");
    ASSERT_EQ(Open(empty, "empty.txt", 1), IAsset::Loaded);
    EXPECT_EQ(Data(empty), std::string(1, '\0'));
}

TEST_F(AssetTest, HeadedFilesAreUnscrambledAndVerified)
{
    const std::string payload = "a payload longer than one key period of 128 bytes, to see the key repeat: " +
                                std::string(100, '#');
    scratch.Write("good.dat", HeadedFile(payload));
    Asset asset;
    ASSERT_EQ(Open(asset, "good.dat", 3), IAsset::Loaded);
    EXPECT_EQ(Data(asset), payload);

    AssetFileHeader header;
    ASSERT_TRUE(ReadAssetFileHeader(At("good.dat"), header));
    EXPECT_EQ(header.scheme, 0);

    // Exactly a header: an empty payload.
    scratch.Write("header-only.dat", HeadedFile(""));
    Asset emptyBinary, emptyText;
    ASSERT_EQ(Open(emptyBinary, "header-only.dat", 2), IAsset::Loaded);
    EXPECT_EQ(emptyBinary.GetDataSize(), 0u);
    ASSERT_EQ(Open(emptyText, "header-only.dat", 1), IAsset::Loaded);
    EXPECT_EQ(Data(emptyText), std::string(1, '\0'));
}

TEST_F(AssetTest, DamagedFilesReportTheirFault)
{
    std::string flipped = HeadedFile("some payload bytes");
    flipped[30] ^= 1;
    scratch.Write("flipped.dat", flipped);
    std::string scheme = HeadedFile("x");
    scheme[4] = 1;
    scratch.Write("scheme.dat", scheme);
    std::string otherTag = HeadedFile("plain after all");
    otherTag[7] = 'X';
    scratch.Write("tag.dat", otherTag);
    scratch.Write("short.dat", HeadedFile("cut").substr(0, 20));

    Asset crc, badScheme, plain, shortFile, missing, directory, typeZero, typeSeven, typeSevenMissing;
    EXPECT_EQ(Open(crc, "flipped.dat", 2), IAsset::InvalidCRC);
    EXPECT_EQ(crc.GetData(), nullptr);
    EXPECT_EQ(Open(badScheme, "scheme.dat", 2), IAsset::InvalidEncryptionScheme);
    EXPECT_EQ(Open(plain, "tag.dat", 2), IAsset::Loaded) << "the magic with another tag is a plain file";
    EXPECT_EQ(Data(plain), otherTag);
    EXPECT_EQ(Open(shortFile, "short.dat", 2), IAsset::Loaded) << "shorter than a header: plain";
    EXPECT_EQ(Open(missing, "missing.dat", 2), IAsset::UnreadableFile);
    EXPECT_FALSE(directory.Initialize(Path(scratch.Path()), 2)) << "a directory is no asset";
    EXPECT_EQ(directory.GetStatus(), IAsset::UnreadableFile);
    EXPECT_EQ(Open(typeZero, "tag.dat", 0), IAsset::InvalidType);
    EXPECT_EQ(Open(typeSeven, "tag.dat", 7), IAsset::InvalidFileFormat);
    EXPECT_EQ(Open(typeSevenMissing, "missing.dat", 7), IAsset::UnreadableFile);

    Asset invalid;
    EXPECT_FALSE(invalid.Initialize(Path("../up.dat"), 2));
    EXPECT_EQ(invalid.GetStatus(), IAsset::InvalidPath);
    EXPECT_FALSE(invalid.Load(nullptr)) << "never initialised";
    EXPECT_EQ(invalid.GetStatus(), IAsset::InvalidPath);
    EXPECT_THROW(invalid.Initialize(Path("bad\xC3\x28.dat"), 2), utf8util::utf8_conversion_error);
}

TEST_F(AssetTest, TranslatorsGetTheBytesAndMayFail)
{
    scratch.Write("t.txt", "text");
    VexirTest::CopyingTranslator translator;
    Asset asset;
    ASSERT_EQ(Open(asset, "t.txt", 1, &translator), IAsset::Loaded);
    EXPECT_EQ(translator.calls, 1);
    EXPECT_EQ(Data(asset), std::string("text\0", 5));

    translator.fail = true;
    EXPECT_FALSE(asset.Load(&translator));
    EXPECT_EQ(asset.GetStatus(), IAsset::TranslationFailed);
    EXPECT_EQ(asset.GetData(), nullptr);
    EXPECT_TRUE(asset.Load(nullptr)) << "a failed step may be tried again";
}

// The host's exception from its translator passes through Load, which keeps
// neither the file's bytes nor any data (the sanitizer build's leak checker
// looks), and can be called again.
TEST_F(AssetTest, ATranslatorsExceptionPassesThroughAndLeavesNothing)
{
    scratch.Write("large.bin", std::string(1 << 20, 'y'));
    Asset asset;
    ASSERT_TRUE(asset.Initialize(At("large.bin"), 2));
    ASSERT_TRUE(asset.Load(nullptr));
    VexirTest::ThrowingTranslator translator;
    EXPECT_THROW(asset.Load(&translator), std::runtime_error);
    EXPECT_EQ(asset.GetStatus(), IAsset::TranslationFailed);
    EXPECT_EQ(asset.GetData(), nullptr);
    EXPECT_FALSE(VexirTest::LeaksFound());
    ASSERT_TRUE(asset.Load(nullptr));
    EXPECT_EQ(asset.GetDataSize(), 1u << 20);
}

TEST_F(AssetTest, UnloadAndReferences)
{
    scratch.Write("r.bin", "r");
    Asset asset;
    ASSERT_EQ(Open(asset, "r.bin", 2), IAsset::Loaded);
    asset.Unload();
    EXPECT_EQ(asset.GetStatus(), IAsset::Unloaded);
    EXPECT_EQ(asset.GetDataPtr(), nullptr);
    EXPECT_EQ(asset.GetDataSize(), 0u);
    asset.Unload();
    EXPECT_EQ(asset.GetStatus(), IAsset::Unknown);

    asset.AddRef();
    asset.AddRef();
    EXPECT_EQ(asset.RemoveRef(), 1u);
    EXPECT_EQ(asset.RemoveRef(), 0u);
    EXPECT_EQ(asset.RemoveRef(), 0u);
    EXPECT_EQ(asset.GetStatus(), IAsset::ReferenceUnderflow);
    EXPECT_EQ(asset.GetRefCount(), 0u);
}

TEST(AssetStatus, HasATextForEveryValue)
{
    EXPECT_STREQ(IAsset::StatusString(IAsset::Loaded), "Loaded");
    EXPECT_STREQ(IAsset::StatusString(IAsset::InvalidEncryptionScheme), "Invalid Encryption Scheme");
    EXPECT_STREQ(IAsset::StatusString(IAsset::NotFoundOnSearchPath), "Not found on Search Path");
    EXPECT_STREQ(IAsset::StatusString(IAsset::TranslationFailed), "Translation Failed");
    EXPECT_STREQ(IAsset::StatusString(static_cast<IAsset::Status>(14)), "(unknown status)");
    EXPECT_STREQ(IAsset::StatusString(static_cast<IAsset::Status>(-1)), "(unknown status)");
}

// Files made byte by byte from the layout with a script, not by the library's
// own writer, in Tests/Data:
//   abc.vxa       50 52 56 4e | 00 | 45 4e 43 | 90 01 50 98 3c d2 4f b0 d6 96 3f 7d 28 e1 7f 72 | 0f 0d 13
//                 "PRVN", scheme 0, "ENC", MD5 of "abc", then "abc" with byte i XOR (0x6E + i % 128)
//   bytes259.vxa  50 52 56 4e | 00 | 45 4e 43 | 90 da cb f3 06 45 df c5 e8 46 aa 2b 82 11 ba 8f | ...
//                 the same for the bytes 0 to 255 and then "end" (the key repeats after 128 bytes)
// The loader takes them, and the library's writer makes the same headers.
TEST_F(AssetTest, FilesMadeFromTheLayoutLoadAndTheWriterAgrees)
{
    std::string everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.push_back(static_cast<char>(i));
    const std::pair<const char*, std::string> known[] = {{"abc.vxa", "abc"}, {"bytes259.vxa", everyByte + "end"}};
    for (const auto& [name, payload] : known) {
        const std::string path = std::string(VEXIR_TEST_DATA) + "/" + name;
        std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes.size(), 24 + payload.size()) << name;
        Asset asset;
        ASSERT_TRUE(asset.Initialize(Path(path), 2)) << name;
        ASSERT_TRUE(asset.Load(nullptr)) << IAsset::StatusString(asset.GetStatus());
        EXPECT_TRUE(Data(asset) == payload) << name;
        std::string plain = payload;
        const AssetFileHeader header = MakeAssetFileHeader(reinterpret_cast<unsigned char*>(&plain[0]), plain.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&header), sizeof header), bytes.substr(0, 24)) << name;
    }
}

// What a file of these bytes must give as an asset of `type`: the status, and
// when it loads, the data.
IAsset::Status Expected(const std::string& bytes, unsigned type, std::string& data)
{
    const bool headed = bytes.size() >= 24 && bytes.compare(0, 4, "PRVN") == 0 && bytes.compare(5, 3, "ENC") == 0;
    if (type == 0)
        return IAsset::InvalidType;
    if (headed && bytes[4] != 0)
        return IAsset::InvalidEncryptionScheme;
    if (type > 4)
        return IAsset::InvalidFileFormat;
    data = headed ? bytes.substr(24) : bytes;
    if (headed) {
        auto* payload = reinterpret_cast<unsigned char*>(&data[0]);
        Encryption::Decrypt(Encryption::Scheme0, payload, data.size());
        const AssetFileHeader header = MakeAssetFileHeader(payload, data.size());
        if (bytes.compare(8, 16, reinterpret_cast<const char*>(header.digest), 16) != 0)
            return IAsset::InvalidCRC;
    }
    if (type == 1 || type == 4)
        data.push_back('\0');
    return IAsset::Loaded;
}

// A file that changes size between Initialize and Load is not the one that was
// examined: cut short or grown, with a header or without, it fails to load.
TEST_F(AssetTest, AFileThatChangedSizeSinceInitializeFails)
{
    const std::string headed = HeadedFile("the payload");
    for (const std::string& original : {headed, std::string("plain bytes")}) {
        for (unsigned type : {2u, 4u}) {
            for (const std::string& changed : {original.substr(0, original.size() - 3), original + "more"}) {
                scratch.Write("changing.dat", original);
                Asset asset;
                ASSERT_TRUE(asset.Initialize(At("changing.dat"), type));
                scratch.Write("changing.dat", changed);
                EXPECT_FALSE(asset.Load(nullptr));
                EXPECT_EQ(asset.GetStatus(), IAsset::UnreadableFile)
                    << "type " << type << ", " << original.size() << " bytes became " << changed.size();
                EXPECT_EQ(asset.GetData(), nullptr);
            }
        }
    }
}

// Nor is a file of the same size that gained or lost its header: a plain file
// replaced by a headed one would load its header and scrambled bytes as the
// payload, unverified.
TEST_F(AssetTest, AFileThatGainedOrLostItsHeaderSinceInitializeFails)
{
    const std::string headed = HeadedFile("the payload of it");
    const std::string plain(headed.size(), 'p');
    std::string otherScheme = headed;
    otherScheme[4] = 1;
    const std::pair<std::string, std::string> changes[] = {{plain, headed}, {headed, plain}, {headed, otherScheme}};
    for (const auto& [before, after] : changes) {
        for (unsigned type : {2u, 4u}) {
            SCOPED_TRACE(testing::Message() << "type " << type << ": " << before.substr(0, 8) << " became "
                                            << after.substr(0, 8));
            scratch.Write("swapped.dat", before);
            Asset asset;
            ASSERT_TRUE(asset.Initialize(At("swapped.dat"), type));
            scratch.Write("swapped.dat", after);
            EXPECT_FALSE(asset.Load(nullptr));
            EXPECT_EQ(asset.GetStatus(), IAsset::UnreadableFile);
            EXPECT_EQ(asset.GetData(), nullptr);
            scratch.Write("swapped.dat", before);
            EXPECT_TRUE(asset.Load(nullptr)) << "the file as it was examined loads";
        }
    }
}

// Loads while another thread keeps cutting the file short, growing it and
// writing it again in place (never through an empty file, which would itself
// be a valid asset): each load either fails or holds the whole payload, and
// none reads past its buffer (the sanitizer builds watch that).
TEST_F(AssetTest, ThreadsLoadingAFileBeingRewrittenGetAllOrNothing)
{
    const std::string payload(20000, 'q');
    const std::string file = HeadedFile(payload);
    scratch.Write("rewritten.dat", file);
    const std::filesystem::path path = std::filesystem::u8path(scratch.Path("rewritten.dat"));
    // Every 50th load the writer pauses with the file whole, so that some
    // loads are sure to succeed and be checked; the rest race it.
    std::atomic<bool> done{false}, pause{false}, paused{false};
    std::thread writer([&] {
        while (!done) {
            std::filesystem::resize_file(path, 100);
            std::filesystem::resize_file(path, file.size() + 4);
            std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).write(file.data(), file.size());
            std::filesystem::resize_file(path, file.size());
            // Says it has paused only once it has seen the request: had it
            // said what it read before the request came, each would wait for
            // the other.
            if (pause) {
                paused = true;
                while (pause && !done)
                    std::this_thread::yield();
                paused = false;
            }
        }
    });
    int loaded = 0, wrong = 0, failedWhole = 0;
    for (int round = 1; round <= 300; ++round) {
        const bool whole = round % 50 == 0;
        if (whole) {
            while (paused)  // the writer is still leaving the last pause
                std::this_thread::yield();
            pause = true;
            while (!paused)
                std::this_thread::yield();
        }
        Asset asset;
        const bool ok = asset.Initialize(At("rewritten.dat"), 2) && asset.Load(nullptr);
        if (whole) {
            failedWhole += !ok;
            pause = false;
        }
        if (!ok)
            continue;
        ++loaded;
        wrong += Data(asset) != payload;
    }
    done = true;
    writer.join();
    EXPECT_EQ(wrong, 0) << "of " << loaded << " loads that succeeded";
    EXPECT_EQ(failedWhole, 0) << "a file left whole did not load";
}

// Random and mutated files through Initialize and Load: each gives the status
// its damage calls for, and a file that loads gives exactly its payload.
TEST_F(AssetTest, RandomAndMutatedFilesNeverMisbehave)
{
    std::mt19937 random(1234);
    const std::string good = HeadedFile(std::string(300, 'p'));
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            bytes = good;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
                bytes[random() % bytes.size()] = static_cast<char>(random());
            bytes.resize(random() % (bytes.size() + 8));
        } else {
            bytes.resize(random() % 64);
            for (char& byte : bytes)
                byte = static_cast<char>(random());
            if (bytes.size() >= 8 && random() % 2)
                bytes.replace(0, 8, std::string("PRVN\0ENC", 8));
        }
        scratch.Write("fuzz.bin", bytes);
        Asset asset;
        const unsigned type = random() % 6;
        const IAsset::Status status = Open(asset, "fuzz.bin", type);
        std::string expected;
        ASSERT_EQ(status, Expected(bytes, type, expected)) << "round " << round << ", type " << type;
        if (status == IAsset::Loaded)
            ASSERT_TRUE(Data(asset) == expected) << "round " << round;
        else
            ASSERT_EQ(asset.GetData(), nullptr);
    }
}

}  // namespace
