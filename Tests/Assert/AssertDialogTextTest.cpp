// The text both assert dialogs show and copy.
#include <gtest/gtest.h>

#include "Assert/AssertDialogText.h"

namespace {

using namespace Vexir;

// In the order the tests read best: message first.
AssertDialogData Data(const char* message, const char* expression, const char* file, int line)
{
    return SiteData(expression, line, file, message);
}

TEST(AssertDialogText, ParagraphsAppearOnlyForWhatTheSiteGave)
{
    AssertDialogData full = Data("no buffer", "_pData != NULL", "Source/Network/TextPacket", 42);
    EXPECT_EQ(BuildAssertText(full, false),
              "\"no buffer\"\n\nExpression: \"_pData != NULL\"\nFile: Source/Network/TextPacket\nLine: 42\n");
    EXPECT_EQ(full.text, BuildAssertText(full, false)) << "kept in the data";

    for (const char* noMessage : {static_cast<const char*>(nullptr), ""}) {
        AssertDialogData data = Data(noMessage, "x", "f", -7);
        EXPECT_EQ(BuildAssertText(data, false), "Expression: \"x\"\nFile: f\nLine: -7\n");
    }
    AssertDialogData bare = Data(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(BuildAssertText(bare, false), "File: \nLine: 0\n") << "File and Line are always there";
}

TEST(AssertDialogText, DisplayFormHasWindowsLineEnds)
{
    AssertDialogData data = Data("two\nlines", "", "f", 1);
    EXPECT_EQ(BuildAssertText(data, true), "\"two\r\nlines\"\r\n\r\nFile: f\r\nLine: 1\r\n");
    EXPECT_EQ(ToCrLf(""), "");
    EXPECT_EQ(ToCrLf("a\r\nb\n\n"), "a\r\r\nb\r\n\r\n") << "an existing pair is not recognised";
    EXPECT_EQ(ToCrLf(std::string("\0\n", 2)), std::string("\0\r\n", 3));
}

TEST(AssertDialogText, CopyTextAddsTheCallStackOnlyWhenCollected)
{
    AssertThreadInfo info;
    info.callStack = "frames";
    AssertDialogData data = Data("m", "e", "f", 3);
    data.threadInfo = &info;
    EXPECT_EQ(AdvancedCopyText(data), "\"m\"\n\nExpression: \"e\"\nFile: f\nLine: 3\n");
    info.callStackCollected = true;
    EXPECT_EQ(AdvancedCopyText(data), "\"m\"\n\nExpression: \"e\"\nFile: f\nLine: 3\n\n\nCall Stack\nframes");
}

}  // namespace
