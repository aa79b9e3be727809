#include <Vexir/Assets.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "AssetFiles.h"
#include "LeakCheck.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

// Each test uses a type of its own: search paths stay with the manager.
class MgrAssetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int s_iNextType = 100;
        type = ++s_iNextType;  // past 4: found and listed, but no format to load
        textType = 1;
    }

    void MakeDirectory(const std::string& name) const
    {
        std::filesystem::create_directories(std::filesystem::u8path(scratch.Path(name)));
    }

    IMgrAssets* const assets = GetMgrAssets();
    VexirTest::ScratchDirectory scratch;
    int type = 0;
    int textType = 0;
    IAsset::Status status = IAsset::Unknown;
};

TEST_F(MgrAssetsTest, SharesOneAssetPerPathWithReferences)
{
    scratch.Write("shared.bin", "bytes");
    const Path path(scratch.Path("shared.bin"));
    IAsset* first = assets->GetAsset(path, 2, &status);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(status, IAsset::Loaded);
    EXPECT_EQ(assets->GetAsset(path, 2, &status), first);
    EXPECT_EQ(first->GetRefCount(), 2u);

    EXPECT_EQ(assets->GetAsset(path, 3, &status), nullptr);
    EXPECT_EQ(status, IAsset::ConflictingType);
    EXPECT_EQ(first->GetRefCount(), 2u);

    EXPECT_TRUE(assets->ReleaseAsset(first));
    EXPECT_EQ(first->GetRefCount(), 1u);
    EXPECT_TRUE(assets->ReleaseAsset(path));
    EXPECT_FALSE(assets->ReleaseAsset(path)) << "gone after the last reference";

    scratch.Write("shared.bin", "new bytes");
    IAsset* fresh = assets->GetAsset(path, 2, &status);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(fresh->GetDataPtr()), fresh->GetDataSize()), "new bytes");
    assets->ReleaseAsset(fresh);
}

TEST_F(MgrAssetsTest, PathsWhoseHashesCollideAreDifferentAssets)
{
    // "ax" and "bC" hash alike: 97 * 53 + 120 == 98 * 53 + 67.
    MakeDirectory("c");
    scratch.Write("c/ax.bin", "first file");
    scratch.Write("c/bC.bin", "second file");
    const Path one(scratch.Path("c/ax.bin")), other(scratch.Path("c/bC.bin"));
    ASSERT_EQ(one.Hash(), other.Hash());
    IAsset* a = assets->GetAsset(one, 2, &status);
    IAsset* b = assets->GetAsset(other, 2, &status);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(std::string(static_cast<char*>(b->GetDataPtr()), b->GetDataSize()), "second file");
    EXPECT_TRUE(assets->ReleaseAsset(other));
    EXPECT_EQ(assets->GetAsset(one, 2, &status), a) << "releasing one left the other";
    assets->ReleaseAsset(a);
    assets->ReleaseAsset(a);
}

TEST_F(MgrAssetsTest, RelativePathsFollowTheSearchDirectoriesInOrder)
{
    MakeDirectory("first");
    MakeDirectory("second");
    std::string badScheme = VexirTest::HeadedFile("x");
    badScheme[4] = 1;
    scratch.Write("first/model.bin", badScheme);
    scratch.Write("second/model.bin", VexirTest::HeadedFile("from the second"));
    ASSERT_TRUE(assets->AddSearchPaths(scratch.Path("first") + ";" + scratch.Path("second"), 2));

    Path found;
    ASSERT_TRUE(assets->FindFile(Path("model.bin"), 2, &found));
    EXPECT_EQ(found.AsString(), scratch.Path("first/model.bin")) << "FindFile checks no header";

    IAsset* asset = assets->GetAsset(Path("model.bin"), 2, &status);
    ASSERT_NE(asset, nullptr) << IAsset::StatusString(status);
    EXPECT_EQ(asset->GetPath().AsString(), scratch.Path("second/model.bin"));
    assets->ReleaseAsset(asset);

    EXPECT_EQ(assets->GetAsset(Path("nowhere.bin"), 2, &status), nullptr);
    EXPECT_EQ(status, IAsset::NotFoundOnSearchPath);
}

TEST_F(MgrAssetsTest, ALoadFailureEndsTheSearch)
{
    MakeDirectory("one");
    MakeDirectory("two");
    std::string broken = VexirTest::HeadedFile("payload");
    broken.back() ^= 1;
    scratch.Write("one/data.bin", broken);
    scratch.Write("two/data.bin", VexirTest::HeadedFile("payload"));
    const int binary = 3;
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("one") + "/"), binary));
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("two") + "/"), binary));
    EXPECT_EQ(assets->GetAsset(Path("data.bin"), binary, &status), nullptr);
    EXPECT_EQ(status, IAsset::InvalidCRC) << "the good file in the second directory is not tried";
}

TEST_F(MgrAssetsTest, AbsolutePathsAndTypesWithoutDirectoriesStandAsTheyAre)
{
    scratch.Write("abs.txt", "absolute");
    assets->AddSearchPath(Path(scratch.Path("elsewhere") + "/"), textType);
    IAsset* asset = assets->GetAsset(Path(scratch.Path("abs.txt")), textType, &status);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(asset->GetDataSize(), 9u);
    assets->ReleaseAsset(asset);

    Path resolved("untouched");
    EXPECT_FALSE(assets->FindFile(Path(scratch.Path("none.txt")), textType, &resolved));
    EXPECT_EQ(resolved.AsString(), "untouched");
    // An absolute path, and a type with no search directories, resolve to themselves.
    ASSERT_TRUE(assets->FindFile(Path(scratch.Path("abs.txt")), textType, &resolved));
    EXPECT_EQ(resolved.AsString(), scratch.Path("abs.txt"));
    // A relative name of a type with no search directories is looked up as it is.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(scratch.Path()));
    resolved = Path("untouched");
    const bool found = assets->FindFile(Path("abs.txt"), 77, &resolved);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(found);
    EXPECT_EQ(resolved.AsString(), "abs.txt");
    EXPECT_FALSE(assets->FindFile(Path(scratch.Path()), 999, &resolved)) << "a directory is no asset file";
    EXPECT_FALSE(assets->FindFile(Path(scratch.Path() + "/"), 999, &resolved));
    EXPECT_FALSE(assets->FindFile(Path("../x"), textType, nullptr));
    EXPECT_EQ(assets->GetAsset(Path("../x"), textType, &status), nullptr);
    EXPECT_EQ(status, IAsset::InvalidPath);
}

TEST_F(MgrAssetsTest, SearchListsSplitAtSemicolons)
{
    EXPECT_FALSE(assets->AddSearchPaths(";;;", type));
    EXPECT_FALSE(assets->AddSearchPaths("a;b", 0));
    EXPECT_FALSE(assets->AddSearchPath(Path("a/"), 0));
    MakeDirectory("a");
    MakeDirectory("b");
    scratch.Write("b/only-in-b.bin", "b");
    ASSERT_TRUE(assets->AddSearchPaths(";" + scratch.Path("a") + ";;" + scratch.Path("b") + ";", type));
    Path found;
    ASSERT_TRUE(assets->FindFile(Path("only-in-b.bin"), type, &found));
    EXPECT_EQ(found.AsString(), scratch.Path("b/only-in-b.bin"));
}

// A directory that Path refuses keeps only what was read before the fault,
// its parent or nothing (the current directory), where the wrong file would
// load: a colon in a name (legal on Linux), quotes around it, a list written
// with colons as Unix shells write them. None of them is added.
TEST_F(MgrAssetsTest, RefusedSearchDirectoriesAreNotAdded)
{
    const int textType4 = 4;  // no other test searches for this type
    MakeDirectory("right");
    scratch.Write("model.bin", "the wrong file");
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("right") + "/"), textType4));
    const std::string refused[] = {scratch.Path("a:b"), "\"" + scratch.Path("right") + "\"",
                                   scratch.Path("one") + ":" + scratch.Path("two")};
    for (const std::string& entry : refused) {
        SCOPED_TRACE(entry);
        EXPECT_FALSE(assets->AddSearchPath(Path(entry + "/"), textType4));
        EXPECT_FALSE(assets->AddSearchPath(Path(entry), textType4));
        EXPECT_FALSE(assets->AddSearchPaths(entry, textType4));
        EXPECT_FALSE(assets->AddSearchPaths(scratch.Path() + ";" + entry, textType4)) << "all of a list, or nothing";
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(scratch.Path()));
    Path found;
    const bool foundAnywhere = assets->FindFile(Path("model.bin"), textType4, &found);
    IAsset* wrong = assets->GetAsset(Path("model.bin"), textType4, &status);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(foundAnywhere) << found.AsString();
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(status, IAsset::NotFoundOnSearchPath);
    if (wrong)
        assets->ReleaseAsset(wrong);
}

// A search directory is a directory, with a closing separator or without, as
// the list form has always read it; the directory itself is never the file.
TEST_F(MgrAssetsTest, ASearchDirectoryNeedsNoClosingSeparator)
{
    MakeDirectory("bare");
    scratch.Write("bare/in-bare.bin", "found in bare");
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("bare")), 2));
    Path found;
    ASSERT_TRUE(assets->FindFile(Path("in-bare.bin"), 2, &found));
    EXPECT_EQ(found.AsString(), scratch.Path("bare/in-bare.bin"));
    IAsset* asset = assets->GetAsset(Path("in-bare.bin"), 2, &status);
    ASSERT_NE(asset, nullptr) << IAsset::StatusString(status);
    EXPECT_EQ(std::string(static_cast<char*>(asset->GetDataPtr()), asset->GetDataSize()), "found in bare");
    assets->ReleaseAsset(asset);
    // "./" climbs nowhere; a directory made of its parent and a name keeps both.
    ASSERT_TRUE(assets->AddSearchPath(Path("./"), type));
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("bare/../bare")), type));
    EXPECT_TRUE(assets->FindFile(Path("in-bare.bin"), type, &found));
    EXPECT_EQ(found.AsString(), scratch.Path("bare/in-bare.bin"));
}

// The type is checked where the file is found: a file that is there in a type
// the library cannot read is not "not found".
TEST_F(MgrAssetsTest, ATypeThatIsNoKindOfAssetSaysSo)
{
    MakeDirectory("kinds");
    scratch.Write("kinds/thing.dat", "bytes");
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path("kinds") + "/"), type));
    EXPECT_EQ(assets->GetAsset(Path("thing.dat"), type, &status), nullptr);
    EXPECT_EQ(status, IAsset::InvalidFileFormat);
    EXPECT_EQ(assets->GetAsset(Path("absent.dat"), type, &status), nullptr);
    EXPECT_EQ(status, IAsset::NotFoundOnSearchPath);
    EXPECT_EQ(assets->GetAsset(Path(scratch.Path("kinds/thing.dat")), type, &status), nullptr);
    EXPECT_EQ(status, IAsset::InvalidFileFormat);
}

TEST_F(MgrAssetsTest, ReleasingAnAssetTheManagerDidNotMakeDeletesIt)
{
    auto* stranger = new Asset;
    stranger->AddRef();
    EXPECT_FALSE(assets->ReleaseAsset(stranger));
    EXPECT_FALSE(assets->ReleaseAsset(static_cast<IAsset*>(nullptr)));
}

// A name that is not UTF-8 throws out of GetAsset, and so does the host's
// own exception from its translator: either way nothing is left behind (no
// asset, no file bytes; the sanitizer build's leak checker looks), and nothing
// is held under the name.
TEST_F(MgrAssetsTest, ExceptionsLeaveNothingBehind)
{
    EXPECT_THROW(assets->GetAsset(Path("bad\xC3\x28.bin"), 2, &status), utf8util::utf8_conversion_error);
    ASSERT_TRUE(assets->AddSearchPath(Path(scratch.Path() + "/"), 3));
    EXPECT_THROW(assets->GetAsset(Path("bad\xC3\x28.bin"), 3, &status), utf8util::utf8_conversion_error);

    scratch.Write("large.bin", std::string(1 << 20, 'x'));
    const Path large(scratch.Path("large.bin"));
    VexirTest::ThrowingTranslator translator;
    EXPECT_THROW(assets->GetAsset(large, 2, &translator, &status), std::runtime_error);
    EXPECT_FALSE(assets->ReleaseAsset(large)) << "nothing is held under the name";
    IAsset* asset = assets->GetAsset(large, 2, &status);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(asset->GetRefCount(), 1u);
    EXPECT_EQ(asset->GetDataSize(), 1u << 20);
    assets->ReleaseAsset(asset);
    EXPECT_FALSE(VexirTest::LeaksFound());
}

}  // namespace
