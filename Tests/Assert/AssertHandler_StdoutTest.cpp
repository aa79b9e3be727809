#include <Vexir/Assert.h>

#include <gtest/gtest.h>

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
