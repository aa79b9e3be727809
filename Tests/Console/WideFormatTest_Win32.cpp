// Windows hosts write wide formats with the Windows C runtime's conventions: %s
// and %c take wide arguments, %S, %hs and %hc narrow ones.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <string>

#include "ConsoleFixture.h"

namespace {

using WideFormatTest = VexirTest::ConsoleFixture;

TEST_F(WideFormatTest, WideFormatsFollowTheWindowsRuntime)
{
    VexirTest::TestConsole* console = AddTestConsole();
    manager->PrintInfo(L"Loading %s", L"scene.vxs");
    manager->PrintInfo(L"%S, %hs and %hc", "narrow", "also", 'n');
    manager->PrintInfo(L"%c%ls %5.1f", L'\x00C4', L"\x4E2D", 2.5);
    ASSERT_EQ(console->messages.size(), 3u);
    EXPECT_EQ(console->messages[0].text, "Loading scene.vxs");
    EXPECT_EQ(console->messages[1].text, "narrow, also and n");
    EXPECT_EQ(console->messages[2].text, "\xC3\x84\xE4\xB8\xAD   2.5");
}

}  // namespace
