#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "StreamCapture.h"
#include "TestAssertHandler.h"

namespace {

using namespace Vexir;

void FailingSiteOne() { CORE_ASSERT_MSG(1 + 1 == 3, "site one"); }
void FailingSiteTwo() { CORE_ASSERT(false); }

TEST(AssertMgr, SiteReportsItsExpressionLineFileAndMessage)
{
    VexirTest::TestAssertHandler handler;
    const int line = __LINE__ + 1;
    CORE_ASSERT_MSG(2 < 1, "a message");
    CORE_ASSERT(true);
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_EQ(handler.reports[0].expression, "2 < 1");
    EXPECT_EQ(handler.reports[0].line, line);
    EXPECT_EQ(handler.reports[0].message, "a message");
    // The reported file has no extension and no folders above the project's.
    const std::string& file = handler.reports[0].file;
    EXPECT_EQ(file.find(".cpp"), std::string::npos);
    EXPECT_NE(file.find("AssertMgrTest"), std::string::npos);

    FailingSiteTwo();
    ASSERT_EQ(handler.reports.size(), 2u);
    EXPECT_EQ(handler.reports[1].expression, "false");
    EXPECT_FALSE(handler.reports[1].hasMessage);
}

TEST(AssertMgr, FileIsReportedFromTheSourceFolderWithoutExtension)
{
    VexirTest::TestAssertHandler handler;
    bool flag = false;
    RaiseAssert(flag, "0", 1, "/home/build/vexir/Source/Console/MgrConsole.cpp", nullptr);
    RaiseAssert(flag, "0", 2, "C:\\work\\Include\\Vexir\\Network\\BinaryPacket.h", nullptr);
    RaiseAssert(flag, "0", 3, "Source/Network/MgrSocketBase", nullptr);
    ASSERT_EQ(handler.reports.size(), 3u);
    EXPECT_EQ(handler.reports[0].file, "Source/Console/MgrConsole");
    EXPECT_EQ(handler.reports[1].file, "Include/Vexir/Network/BinaryPacket");
    EXPECT_EQ(handler.reports[2].file, "Source/Network/MgrSocketBase");
}

TEST(AssertMgr, IgnoreAlwaysSilencesThatSiteOnly)
{
    VexirTest::TestAssertHandler handler;
    handler.answers = {IgnoreAlways};
    for (int i = 0; i < 3; ++i) {
        FailingSiteOne();
        FailingSiteTwo();
    }
    ASSERT_EQ(handler.reports.size(), 4u);
    EXPECT_EQ(handler.reports[0].message, "site one");
    for (std::size_t i = 1; i < handler.reports.size(); ++i)
        EXPECT_EQ(handler.reports[i].expression, "false");
}

TEST(AssertMgr, UnknownAnswersCountAsIgnore)
{
    VexirTest::TestAssertHandler handler;
    handler.answers = {-1, 7};
    bool flag = false;
    RaiseAssert(flag, "0", 1, "f", nullptr);
    RaiseAssert(flag, "0", 1, "f", nullptr);
    EXPECT_FALSE(flag);
    EXPECT_EQ(handler.reports.size(), 2u);
}

TEST(AssertMgr, BuiltinHandlersAreSelectedById)
{
    IAssertHandler* const before = GetActiveAssertHandler();
    ASSERT_NE(before, nullptr);

    EXPECT_FALSE(SetActiveAssertHandler(static_cast<BuiltinAssertHandlerID>(4), nullptr));
    EXPECT_EQ(GetActiveAssertHandler(), before);

    ASSERT_TRUE(SetActiveAssertHandler(BuiltinAssert_Null, nullptr));
    {
        VexirTest::StreamCapture capture;
        bool flag = false;
        RaiseAssert(flag, "0", 1, "f", "quiet");
        EXPECT_EQ(capture.Output(), "");
        EXPECT_FALSE(flag);
    }
    // The dialog handlers become active with their owner window; what they
    // show is the dialogs' tests' business.
    for (BuiltinAssertHandlerID id : {BuiltinAssert_BasicWin, BuiltinAssert_AdvancedWin}) {
        ASSERT_TRUE(SetActiveAssertHandler(id, nullptr));
        EXPECT_NE(GetActiveAssertHandler(), before);
        EXPECT_NE(dynamic_cast<IAssertHandler_Windows*>(GetActiveAssertHandler()), nullptr);
    }
    ASSERT_TRUE(SetActiveAssertHandler(BuiltinAssert_Stdout, nullptr));
    EXPECT_EQ(GetActiveAssertHandler(), before) << "the handler active at load is the standard-output one";
    SetActiveAssertHandler(before);
}

// Without a debugger the trap would end the host: the site says so and goes on.
TEST(AssertMgr, BreakWithoutADebuggerGoesOn)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"break"}, "", 30000);
    ASSERT_TRUE(child.exited) << "the break ended the process";
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_NE(child.output.find("went on after the break"), std::string::npos) << child.output;
}

TEST(AssertMgr, PureVirtualCallIsReportedThroughTheActiveHandler)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"purecall"});
    ASSERT_TRUE(child.started);
    EXPECT_EQ(child.output.rfind("reported: System Error: pure virtual call detected!\n", 0), 0u) << child.output;
    EXPECT_FALSE(child.exited && child.exitCode == 0) << "the runtime ends the process after the report";
}

}  // namespace
