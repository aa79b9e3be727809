// The library's singletons live and die with the library: a console that a
// host added is deleted when the library is unloaded.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "AssetHost.h"
#include "DynamicLibrary.h"
#include "TestConsole.h"

namespace {

using GetMgrConsoleFunction = Vexir::IMgrConsole* (*)();

TEST(Unload, DeletesTheConsolesOfTheManager)
{
    VexirTest::DynamicLibrary library(VEXIR_LIBRARY_FILE);
    ASSERT_TRUE(library.IsLoaded());
    // Vexir::GetMgrConsole(), by its mangled name.
    auto getManager = reinterpret_cast<GetMgrConsoleFunction>(library.Symbol("_ZN5Vexir13GetMgrConsoleEv"));
    ASSERT_NE(getManager, nullptr);

    bool deleted = false;
    auto* console = new VexirTest::TestConsole(false, &deleted);
    Vexir::IMgrConsole* manager = getManager();
    ASSERT_NE(manager, nullptr);
    ASSERT_TRUE(manager->AddConsole(console));
    manager->PrintInfo("%s", "before unload");
    ASSERT_EQ(console->Texts(), std::vector<std::string>{"before unload"});

    EXPECT_TRUE(library.Unload());
    EXPECT_TRUE(deleted);
}

// Loaded and unloaded again and again, the library leaves nothing behind
// (AddressSanitizer's leak check at exit sees what it would).
TEST(Unload, LoadingAgainAndAgainLeavesNothingBehind)
{
    for (int round = 0; round < 3; ++round) {
        VexirTest::DynamicLibrary library(VEXIR_LIBRARY_FILE);
        ASSERT_TRUE(library.IsLoaded());
        auto getManager = reinterpret_cast<GetMgrConsoleFunction>(library.Symbol("_ZN5Vexir13GetMgrConsoleEv"));
        ASSERT_NE(getManager, nullptr);
        auto* console = new VexirTest::TestConsole;
        ASSERT_TRUE(getManager()->AddConsole(console));
        getManager()->PrintInfo(L"wide text %ls, round %d", L"\u00e9", round);
        ASSERT_EQ(console->messages.size(), 1u);
        EXPECT_TRUE(library.Unload());
    }
}

// A plug-in leaves materials that hold textures with the library, and is
// unloaded, taking the library with it. Releasing a material gives back its
// textures from inside the library's teardown; every asset's data is released
// once, and none is touched after it is gone (the sanitizer build watches).
TEST(Unload, ReleasesAssetsThatReleaseOtherAssets)
{
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("vexir-unload-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(directory);
    AssetHostRecord record;
    {
        VexirTest::DynamicLibrary host(VEXIR_ASSET_HOST_FILE);
        ASSERT_TRUE(host.IsLoaded());
        auto hold = reinterpret_cast<HoldCompositeAssetsFunction>(host.Symbol("VexirTestHoldCompositeAssets"));
        ASSERT_NE(hold, nullptr);
        ASSERT_TRUE(hold(directory.generic_u8string().c_str(), &record));
        EXPECT_EQ(record.texturesReleased + record.materialsReleased, 0);
        EXPECT_TRUE(host.Unload());
    }
    EXPECT_EQ(record.materialsReleased, 4);
    EXPECT_EQ(record.texturesReleased, 4);
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

}  // namespace
