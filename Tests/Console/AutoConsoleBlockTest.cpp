#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "ConsoleFixture.h"

namespace {

using namespace Vexir;
using AutoConsoleBlockTest = VexirTest::ConsoleFixture;

TEST_F(AutoConsoleBlockTest, BeginsAtConstructionAndEndsAtDestruction)
{
    VexirTest::TestConsole* console = AddTestConsole();
    try {
        // Plain texts: conversions in them are printed, never formatted.
        AutoConsoleBlock block(manager, IConsole::Info, "scene%s%s%s%s.scn 100%%", "end %n%s");
        manager->PrintInfo("inside");
        throw std::runtime_error("leave by exception");
    } catch (const std::runtime_error&) {
    }
    ASSERT_EQ(console->messages.size(), 3u);
    EXPECT_EQ(console->messages[0].kind, IConsole::BlockBegin);
    EXPECT_EQ(console->messages[0].level, IConsole::Info);
    EXPECT_EQ(console->messages[0].text, "scene%s%s%s%s.scn 100%%");
    EXPECT_EQ(console->messages[1].text, "inside");
    EXPECT_EQ(console->messages[2].kind, IConsole::BlockEnd);
    EXPECT_EQ(console->messages[2].text, "end %n%s");
}

TEST_F(AutoConsoleBlockTest, EachCopyEndsItsOwnBlock)
{
    VexirTest::TestConsole* console = AddTestConsole();
    {
        AutoConsoleBlock block(manager, IConsole::Warning, "b", "e1");
        AutoConsoleBlock copy(block);
        AutoConsoleBlock other(manager, IConsole::Debug, "b2", "e2");
        other = block;
    }
    std::vector<IConsole::MessageKind> kinds;
    for (const auto& message : console->messages)
        kinds.push_back(message.kind);
    EXPECT_EQ(kinds, (std::vector<IConsole::MessageKind>{IConsole::BlockBegin, IConsole::BlockBegin,
                                                         IConsole::BlockEnd, IConsole::BlockEnd, IConsole::BlockEnd}));
    EXPECT_EQ(console->messages[4].text, "e1");
    EXPECT_EQ(console->messages[4].level, IConsole::Warning);
}

}  // namespace
