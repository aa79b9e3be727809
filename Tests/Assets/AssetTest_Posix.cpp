// What only Linux has in its file system: named pipes.
#include <Vexir/Assets.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ScratchDirectory.h"

namespace {

// A pipe that nobody writes would hold Load in its open for ever; it is no
// asset file, and Initialize says so at once.
TEST(AssetTest_Posix, APipeIsNoAssetFile)
{
    VexirTest::ScratchDirectory scratch;
    ASSERT_EQ(mkfifo(scratch.Path("pipe.bin").c_str(), 0600), 0);
    Vexir::Asset asset;
    EXPECT_FALSE(asset.Initialize(Vexir::Path(scratch.Path("pipe.bin")), 2));
    EXPECT_EQ(asset.GetStatus(), Vexir::IAsset::UnreadableFile);
    EXPECT_FALSE(Vexir::GetMgrAssets()->FindFile(Vexir::Path(scratch.Path("pipe.bin")), 2, nullptr));
}

}  // namespace
