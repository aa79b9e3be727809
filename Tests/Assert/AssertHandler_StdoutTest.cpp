#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <locale>
#include <string>

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

    EXPECT_EQ(Ask("A\n").answer, IgnoreAlways);
    EXPECT_EQ(Ask("  \n b").answer, Break) << "leading blanks and line ends are skipped";
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

// The handler active at load, fed through a real standard input.
TEST(AssertHandler_Stdout, IsActiveAtLoadAndReadsStandardInput)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"assert"}, "?\ni\n");
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, kBlock + kPrompt + kRetry + kPrompt + kClosing + "after the assertion\n");
}

TEST(AssertHandler_Stdout, ClosedInputDoesNotHangTheProcess)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"assert"}, "");
    ASSERT_TRUE(child.exited);
    EXPECT_NE(child.output.find("after the assertion"), std::string::npos);
}

}  // namespace
