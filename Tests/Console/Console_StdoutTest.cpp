#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include "ConsoleFixture.h"
#include "StreamCapture.h"
#include "TestAssertHandler.h"

namespace {

using namespace Vexir;
using Console_StdoutTest = VexirTest::ConsoleFixture;

TEST_F(Console_StdoutTest, WritesMessagesAtOrBelowTheThreshold)
{
    VexirTest::StreamCapture capture;
    manager->GetConsole(IMgrConsole::Stdout);
    manager->PrintDebug("hidden\n");
    manager->PrintError("disk full\n");
    manager->PrintInfo("no line end");
    manager->Print(IConsole::Normal, IConsole::Silent, "|silent\n");
    manager->SetVerbosity(IConsole::Silent);
    manager->PrintError("hidden\n");
    manager->Print(IConsole::Normal, IConsole::Silent, "always\n");
    EXPECT_EQ(capture.Output(), "[E] disk full\n[I] no line end[S] |silent\n[S] always\n");
}

TEST_F(Console_StdoutTest, IndentsBlocksByFourSpaces)
{
    VexirTest::StreamCapture capture;
    manager->GetConsole(IMgrConsole::Stdout);
    manager->BeginBlock(IConsole::Info, "Scene ");
    manager->PrintInfo("mesh\n");
    manager->BeginBlock(IConsole::Warning, "Inner");
    manager->PrintWarning("deep\n");
    manager->BeginBlock(IConsole::Debug, "hidden blocks do not nest");
    manager->EndBlock(IConsole::Warning, "inner done");
    manager->EndBlock(IConsole::Info, "scene done");
    manager->EndBlock(IConsole::Info, "at depth 0");
    manager->PrintInfo("back\n");
    EXPECT_EQ(capture.Output(),
              "[I] Scene {\n"
              "    [I] mesh\n"
              "    [W] Inner{\n"
              "        [W] deep\n"
              "        [W] } inner done\n"
              "    [I] } scene done\n"
              "[I] } at depth 0\n"
              "[I] back\n");
}

TEST_F(Console_StdoutTest, LevelsBeyondTheTableGetASafeMark)
{
    VexirTest::StreamCapture capture;
    manager->GetConsole(IMgrConsole::Stdout);
    manager->SetVerbosity(static_cast<IConsole::VerbosityLevel>(1000));
    manager->Print(IConsole::Normal, static_cast<IConsole::VerbosityLevel>(6), "six\n");
    manager->Print(IConsole::Normal, static_cast<IConsole::VerbosityLevel>(999), "many\n");
    manager->Print(static_cast<IConsole::MessageKind>(3), IConsole::Info, "unknown kind\n");
    EXPECT_EQ(capture.Output(), "[?] six\n[?] many\n");
}

}  // namespace
