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

// A standard output that stops taking text, and takes it again later.
class FlakyBuffer : public std::streambuf {
public:
    bool failing = false;
    std::string text;

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        if (failing)
            return 0;
        text.append(data, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override
    {
        if (failing)
            return traits_type::eof();
        if (c != traits_type::eof())
            text.push_back(static_cast<char>(c));
        return traits_type::not_eof(c);
    }
    int sync() override { return failing ? -1 : 0; }
};

// The host's std::cout keeps its formatting and state, throws nothing although
// the host asked for exceptions, and the messages that could not be written
// are counted and then said.
TEST_F(Console_StdoutTest, LeavesTheHostsStreamAloneAndCountsWhatWasLost)
{
    FlakyBuffer buffer;
    std::streambuf* const previous = std::cout.rdbuf(&buffer);
    std::cout << std::hex;
    std::cout.exceptions(std::ios_base::badbit | std::ios_base::failbit);
    manager->GetConsole(IMgrConsole::Stdout);
    manager->PrintInfo("before\n");
    buffer.failing = true;
    EXPECT_NO_THROW(manager->BeginBlock(IConsole::Info, "lost block"));
    EXPECT_NO_THROW(manager->PrintInfo("lost\n"));
    buffer.failing = false;
    manager->PrintInfo("after\n");
    const bool good = std::cout.good();
    const bool hex = (std::cout.flags() & std::ios_base::hex) != 0;
    std::cout.exceptions(std::ios_base::goodbit);
    std::cout << std::dec;
    std::cout.rdbuf(previous);
    EXPECT_TRUE(good) << "the library's failed write left the host's stream failed";
    EXPECT_TRUE(hex);
    EXPECT_EQ(buffer.text, "[I] before\n    [W] Standard output: 2 messages could not be written\n    [I] after\n");
}

}  // namespace
