// The library's singletons live and die with the library: a console that a
// host added is deleted when the library is unloaded.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cstdlib>

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

}  // namespace
