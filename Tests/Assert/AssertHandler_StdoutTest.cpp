#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iomanip>
#include <iostream>
#include <locale>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "StreamCapture.h"

namespace {

using namespace Vexir;

const std::string kBlock =
    "\n"
    "=================== ASSERT =====================\n"
    "   Message : text of the message\n"
    "Expression : _pData != NULL\n"
    "      File : Source/Network/TextPacket\n"
    "      Line : 42\n"
    "------------------------------------------------\n"
    "(I)gnore    (A)lways Ignore    (B)reak\n";
const std::string kPrompt = "Choose [ I | A | B ]: ";
const std::string kRetry = "Incorrect input. Try again...\n";
const std::string kClosing = "================================================\n\n";
const std::string kNotATerminal = "Standard input is not a terminal: the answer is Ignore.\n";

struct Answered {
    int answer;
    std::string output;
};

Answered Ask(const std::string& input, const char* message = "text of the message",
             const char* expression = "_pData != NULL", const char* file = "Source/Network/TextPacket")
{
    VexirTest::StreamCapture capture(input);
    AssertHandler_Stdout handler;
    const int answer = handler.HandleAssert(expression, 42, file, message);
    return {answer, capture.Output()};
}

TEST(AssertHandler_Stdout, WritesTheBlockAndReadsOneLetter)
{
    const Answered ignore = Ask("i\n");
    EXPECT_EQ(ignore.answer, Ignore);
    EXPECT_EQ(ignore.output, kBlock + kPrompt + kClosing);

    EXPECT_EQ(Ask("  \n A").answer, IgnoreAlways) << "leading blanks and line ends are skipped";
}

TEST(AssertHandler_Stdout, RepeatsThePromptUntilAnAnswerComes)
{
    const Answered answered = Ask("xi\n");
    EXPECT_EQ(answered.answer, Ignore);
    EXPECT_EQ(answered.output, kBlock + kPrompt + kRetry + kPrompt + kClosing);

    EXPECT_EQ(Ask("q\nz\na\n").output, kBlock + kPrompt + kRetry + kPrompt + kRetry + kPrompt + kClosing);
}

TEST(AssertHandler_Stdout, EndOfInputAnswersIgnore)
{
    const Answered answered = Ask("x");
    EXPECT_EQ(answered.answer, Ignore);
    EXPECT_EQ(answered.output, kBlock + kPrompt + kRetry + kPrompt + "\n" + kClosing);
    EXPECT_EQ(Ask("").answer, Ignore);
}

// A digit-grouping locale, as a host might make its streams use.
struct Grouping : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\1"; }
};

TEST(AssertHandler_Stdout, TheHostsStreamStateChangesNothingAndIsKept)
{
    VexirTest::StreamCapture capture("\ni\n");
    const std::locale grouping(std::locale::classic(), new Grouping);
    std::cout << std::hex << std::setfill('*') << std::uppercase;
    std::cout.imbue(grouping);
    std::cin >> std::noskipws;
    AssertHandler_Stdout handler;
    const int answer = handler.HandleAssert("_pData != NULL", 42, "Source/Network/TextPacket", "text of the message");
    const std::string output = capture.Output();

    EXPECT_EQ(answer, Ignore) << "the line end before the answer was taken as one";
    EXPECT_EQ(output, kBlock + kPrompt + kClosing);
    EXPECT_TRUE(std::cout.flags() & std::ios_base::hex) << "the host's flags were not given back";
    EXPECT_EQ(std::cout.fill(), '*');
    EXPECT_FALSE(std::cin.flags() & std::ios_base::skipws);
    EXPECT_TRUE(std::has_facet<Grouping>(std::cout.getloc()));
    std::cout.flags(std::ios_base::dec);
    std::cout.fill(' ');
    std::cout.imbue(std::locale::classic());
    std::cin >> std::skipws;
}

TEST(AssertHandler_Stdout, LeavesOutMissingFieldsButNeverTheLine)
{
    const Answered answered = Ask("i", nullptr, "", nullptr);
    EXPECT_EQ(answered.output,
              "\n=================== ASSERT =====================\n"
              "      Line : 42\n"
              "------------------------------------------------\n"
              "(I)gnore    (A)lways Ignore    (B)reak\n" +
                  kPrompt + kClosing);
}

// The handler active at load, in a host whose standard input is a pipe still
// open (its parent has more to send) or a file: the host's data, never read.
TEST(AssertHandler_Stdout, IsActiveAtLoadAndLeavesAHostsPipedInputAlone)
{
    const std::string expected = kBlock + kNotATerminal + kClosing + "after the assertion\nhost read: mesh teapot\n";
    VexirTest::RunningChild piped("VexirTestChild", {"assert"}, "mesh teapot\n", true);
    const VexirTest::ChildResult fromPipe = piped.Finish(10000);
    ASSERT_FALSE(fromPipe.timedOut) << "the assertion waited on the host's pipe";
    EXPECT_EQ(fromPipe.output, expected);
    EXPECT_EQ(VexirTest::RunTestChild({"assert"}, "mesh teapot\n", 10000).output, expected);
    const VexirTest::ChildResult closed = VexirTest::RunTestChild({"assert"}, "", 10000);
    EXPECT_EQ(closed.output, kBlock + kNotATerminal + kClosing + "after the assertion\n");
}

// The host's streams are used through their buffers only: exceptions the host
// enabled are not thrown, a failed read of the host's does not stop the
// prompt, and the host finds its streams' states as it left them.
TEST(AssertHandler_Stdout, TheHostsStreamExceptionsAndFailuresChangeNothing)
{
    VexirTest::StreamCapture capture("x\ni\n");
    int number = 0;
    std::cin >> number;
    ASSERT_TRUE(std::cin.fail());
    std::cin.exceptions(std::ios_base::badbit);
    std::cout.exceptions(std::ios_base::badbit | std::ios_base::failbit);
    AssertHandler_Stdout handler;
    int answer = -1;
    EXPECT_NO_THROW(answer = handler.HandleAssert("_pData != NULL", 42, "Source/Network/TextPacket",
                                                   "text of the message"));
    EXPECT_EQ(answer, Ignore);
    EXPECT_EQ(capture.Output(), kBlock + kPrompt + kRetry + kPrompt + kClosing);
    EXPECT_TRUE(std::cin.fail()) << "the host's failed state was cleared behind its back";
    std::cin.clear();
    std::cin.exceptions(std::ios_base::eofbit | std::ios_base::failbit | std::ios_base::badbit);
    EXPECT_NO_THROW(answer = handler.HandleAssert("0", 1, nullptr, nullptr)) << "the end of input threw";
    EXPECT_EQ(answer, Ignore);
    std::cin.exceptions(std::ios_base::goodbit);
    std::cout.exceptions(std::ios_base::goodbit);
}

TEST(AssertHandler_Stdout, BreakWithoutADebuggerGoesOn)
{
    const Answered answered = Ask("b\n");
    EXPECT_EQ(answered.answer, Ignore);
    EXPECT_EQ(answered.output, kBlock + kPrompt + "No debugger is attached: going on as with Ignore.\n" + kClosing);
}

// Two threads assert at once while a third prints in hexadecimal: each report
// comes whole, each takes its own answer, and the host's flags never change.
TEST(AssertHandler_StdoutThreads, ReportsComeOneAtATimeAndLeaveTheFlagsAlone)
{
    VexirTest::StreamCapture capture("i\na\n");
    std::cout << std::hex;
    std::atomic<bool> asking{true};
    std::atomic<int> flagsLost{0};
    std::thread host([&] {
        while (asking)
            if (!(std::cout.flags() & std::ios_base::hex))
                ++flagsLost;
    });
    std::vector<int> answers(2, -1);
    std::vector<std::thread> asserting;
    for (int i = 0; i < 2; ++i)
        asserting.emplace_back([&, i] {
            AssertHandler_Stdout handler;
            answers[i] = handler.HandleAssert("_pData != NULL", 42, "Source/Network/TextPacket", "text of the message");
        });
    for (std::thread& thread : asserting)
        thread.join();
    asking = false;
    host.join();
    std::cout << std::dec;
    EXPECT_EQ(flagsLost, 0);
    EXPECT_EQ(capture.Output(), kBlock + kPrompt + kClosing + kBlock + kPrompt + kClosing);
    std::sort(answers.begin(), answers.end());
    EXPECT_EQ(answers, (std::vector<int>{Ignore, IgnoreAlways}));
}

}  // namespace
