// The assert dialogs on Linux as a user meets them: the asserting thread
// waits while the dialog is read back and driven through the UI module's
// test access; the clipboard is read by another program (xclip), the dump
// by gdb, and the dialogs are photographed. Needs a display (./dev test
// starts Xvfb), gdb and xclip.
#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include <FL/Enumerations.H>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Screenshot.h"
#include "UiModuleTestAccess.h"

namespace {

using namespace Vexir;
using Snapshot = ui::AssertDialogSnapshot;

const char kBasicText[] = "\"the buffer is missing\"\n\nExpression: \"_pData != NULL\"\nFile: Source/Network/TextPacket\n"
                          "Line: 42\n";

std::string Output(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

// Another program's paste; one that gets no answer gives up.
std::string Clipboard() { return Output("timeout 10 xclip -o -selection clipboard 2>&1"); }

std::string CoredumpFilter()
{
    std::ifstream file("/proc/self/coredump_filter");
    std::string filter;
    file >> filter;
    return filter;
}

long long FileSize(const std::string& path)
{
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

class AssertDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        access = VexirTest::UiModuleTestAccess();
        ASSERT_NE(access, nullptr) << "the UI module beside the library";
    }

    void TearDown() override
    {
        // A failed test must not leave an asserting thread waiting for ever.
        Snapshot left;
        for (int i = 0; i < 10 && access && access->AssertDialog(left); ++i)
            access->PressInAssertDialog(1002);
        for (auto& answer : answers)
            if (answer.valid())
                answer.wait();
    }

    // Asserts on a thread of its own, which waits for the dialog's answer.
    std::future<int>& Assert(IAssertHandler& handler, const char* message = "the buffer is missing")
    {
        answers.push_back(std::async(std::launch::async, [&handler, message] {
            return handler.HandleAssert("_pData != NULL", 42, "Source/Network/TextPacket", message);
        }));
        return answers.back();
    }

    Snapshot Dialog()
    {
        Snapshot snapshot;
        for (int i = 0; i < 500 && !access->AssertDialog(snapshot); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(snapshot.open) << "no assert dialog on the screen";
        return snapshot;
    }

    static int Answer(std::future<int>& answer)
    {
        if (answer.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return -100;
        return answer.get();
    }

    const ui::TestAccess* access = nullptr;
    AssertHandler_BasicWin basic;
    AssertHandler_AdvancedWin advanced;
    std::deque<std::future<int>> answers;  // stays where it is as more come
};

TEST_F(AssertDialogsTest, BasicDialogShowsTheTextAndAnswersByItsButtons)
{
    const struct {
        int button;
        int answer;
    } presses[] = {{1002, Ignore}, {1003, IgnoreAlways}, {1004, Break}};
    for (const auto& press : presses) {
        std::future<int>& answer = Assert(basic);
        const Snapshot dialog = Dialog();
        EXPECT_EQ(dialog.title, "Vexir Assertion Failed");
        EXPECT_TRUE(dialog.modal);
        EXPECT_NEAR(dialog.width * 122.0 / 183.0, dialog.height, 30.0) << "183 by 122 dialog units";
        EXPECT_EQ(dialog.controls.at(1001).text, kBasicText) << "Linux line ends";
        EXPECT_EQ(dialog.controls.at(1002).text, "Ignore");
        EXPECT_EQ(dialog.controls.at(1003).text, "Ignore Always");
        EXPECT_EQ(dialog.controls.at(1004).text, "Debug");
        EXPECT_EQ(dialog.controls.at(1008).text, "Copy Text");
        EXPECT_TRUE(dialog.labels.empty());
        EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
            << "the asserting thread waits for the user";
        ASSERT_TRUE(access->PressInAssertDialog(press.button));
        EXPECT_EQ(Answer(answer), press.answer) << "button " << press.button;
    }
}

TEST_F(AssertDialogsTest, EscapeDoesNothingReturnIgnoresAndClosingIgnoresAlways)
{
    for (IAssertHandler* handler : {static_cast<IAssertHandler*>(&basic), static_cast<IAssertHandler*>(&advanced)}) {
        std::future<int>& escaped = Assert(*handler);
        Dialog();
        ASSERT_TRUE(access->KeyInAssertDialog(FL_Escape));
        Snapshot still;
        EXPECT_TRUE(access->AssertDialog(still) && still.open) << "Escape closed the dialog";
        EXPECT_EQ(escaped.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
        ASSERT_TRUE(access->KeyInAssertDialog(FL_Enter));
        EXPECT_EQ(Answer(escaped), Ignore) << "Return presses the default button";

        std::future<int>& closed = Assert(*handler);
        Dialog();
        ASSERT_TRUE(access->CloseAssertDialog());
        EXPECT_EQ(Answer(closed), IgnoreAlways);
    }
}

TEST_F(AssertDialogsTest, RaiseAssertRemembersIgnoreAlwaysFromTheDialog)
{
    IAssertHandler* before = GetActiveAssertHandler();
    ASSERT_TRUE(SetActiveAssertHandler(BuiltinAssert_BasicWin, nullptr));
    bool ignoreAlways = false;
    std::thread site([&] { RaiseAssert(ignoreAlways, "0", 7, "/src/Source/Tools/Site.cpp", nullptr); });
    const Snapshot dialog = Dialog();
    EXPECT_EQ(dialog.controls.at(1001).text, "Expression: \"0\"\nFile: Source/Tools/Site\nLine: 7\n");
    access->PressInAssertDialog(1003);
    site.join();
    SetActiveAssertHandler(before);
    EXPECT_TRUE(ignoreAlways);
}

TEST_F(AssertDialogsTest, CopyTextPutsPlainLinesOnTheClipboardAndKeepsTheDialog)
{
    std::future<int>& answer = Assert(basic);
    Dialog();
    ASSERT_TRUE(access->PressInAssertDialog(1008));
    EXPECT_EQ(Clipboard(), kBasicText);
    Snapshot still;
    EXPECT_TRUE(access->AssertDialog(still) && still.open);
    access->PressInAssertDialog(1002);
    EXPECT_EQ(Answer(answer), Ignore);
    EXPECT_EQ(Clipboard(), kBasicText) << "pasted after the dialog has gone";

    std::future<int>& advancedAnswer = Assert(advanced);
    const Snapshot dialog = Dialog();
    ASSERT_TRUE(access->PressInAssertDialog(1008));
    EXPECT_EQ(Clipboard(), kBasicText + std::string("\n\nCall Stack\n") + dialog.controls.at(1017).text);
    access->PressInAssertDialog(1002);
    EXPECT_EQ(Answer(advancedAnswer), Ignore);
}

TEST_F(AssertDialogsTest, AdvancedDialogShowsEveryFieldAndTheAssertingStack)
{
    std::future<int>& answer = Assert(advanced, nullptr);
    const Snapshot dialog = Dialog();
    EXPECT_EQ(dialog.title, "") << "the advanced dialog clears its caption";
    EXPECT_GT(dialog.width, 325);  // dialog units, each more than a pixel
    EXPECT_GT(dialog.height, 298);
    EXPECT_EQ(dialog.controls.at(1014).text, "");
    EXPECT_EQ(dialog.controls.at(1013).text, "_pData != NULL");
    EXPECT_EQ(dialog.controls.at(1011).text, "Source/Network/TextPacket");
    EXPECT_EQ(dialog.controls.at(1012).text, "42");
    EXPECT_EQ(dialog.controls.at(1015).text, "");
    EXPECT_EQ(dialog.controls.at(1006).text, "Create Minidump File");
    EXPECT_EQ(dialog.controls.at(1016).text, "Copy Minidump File");
    EXPECT_FALSE(dialog.controls.at(1016).active) << "no dump yet";
    EXPECT_EQ(dialog.controls.at(1018).text, "Full Dump");
    EXPECT_FALSE(dialog.controls.at(1018).checked);
    const std::vector<std::string> labels = {
        "Assertion failed in the below location. You can copy the text information or generate a minidump file to "
        "send to the developer for inspection.",
        "Description:", "File:", "Line", "Expression:", "Call Stack:", "Minidump File", "File:"};
    EXPECT_EQ(dialog.labels, labels);
    const std::string stack = dialog.controls.at(1017).text;
    EXPECT_EQ(stack.find("Call stack of thread "), 0u) << stack;
    EXPECT_NE(stack.find("libVexirCore.so.1!Vexir::AssertHandler_AdvancedWin::HandleAssert(char const*, int, "),
              std::string::npos)
        << "demangled, with its module\n"
        << stack;
    EXPECT_NE(stack.find("AssertTests+0x"), std::string::npos) << "the test's own frames, by offset\n" << stack;
    access->PressInAssertDialog(1004);
    EXPECT_EQ(Answer(answer), Break);
}

TEST_F(AssertDialogsTest, MinidumpIsACoreThatGdbOpens)
{
    // Enough of the heap that leaving it out shows in the size.
    std::vector<char> heap(64 << 20, 'x');
    const char* directory = std::getenv("TMPDIR");
    ASSERT_NE(directory, nullptr) << "ctest gives each build a dump folder";
    const std::string path = std::string(directory) + "/VexirMinidump.core";
    std::remove(path.c_str());
    const std::string filter = CoredumpFilter();

    std::future<int>& answer = Assert(advanced);
    Dialog();
    ASSERT_TRUE(access->PressInAssertDialog(1006));
    Snapshot dialog = Dialog();
    ASSERT_EQ(dialog.controls.at(1015).text, path);
    EXPECT_TRUE(dialog.controls.at(1016).active);
    const long long normal = FileSize(path);
    struct stat status = {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "the dump holds the process's memory";
    EXPECT_EQ(CoredumpFilter(), filter) << "the process's own setting comes back";
    const std::string seen = Output("gdb -batch -nx -c '" + path + "' -ex 'info threads' 2>&1");
    EXPECT_NE(seen.find("Core was generated by"), std::string::npos) << seen;
    EXPECT_NE(seen.find("AssertTests"), std::string::npos) << seen;

    ASSERT_TRUE(access->PressInAssertDialog(1016));
    EXPECT_EQ(Clipboard(), "file://" + path);

    if (!std::getenv("VEXIR_TEST_NO_FULL_DUMP")) {
        ASSERT_TRUE(access->PressInAssertDialog(1018));
        ASSERT_TRUE(access->PressInAssertDialog(1006));
        dialog = Dialog();
        EXPECT_TRUE(dialog.controls.at(1018).checked);
        EXPECT_EQ(dialog.controls.at(1015).text, path);
        EXPECT_GT(FileSize(path), normal + (64 << 20)) << "the full dump keeps the heap";
    }

    // A temporary directory that is not one: the text says so, the copy
    // button goes dark again, and the last good dump stays.
    const std::string notADirectory = std::string(directory) + "/plain-file";
    std::ofstream(notADirectory) << "x";
    setenv("TMPDIR", notADirectory.c_str(), 1);
    ASSERT_TRUE(access->PressInAssertDialog(1006));
    setenv("TMPDIR", directory, 1);
    dialog = Dialog();
    EXPECT_EQ(dialog.controls.at(1015).text, "<Couldn't get temp file location>");
    EXPECT_FALSE(dialog.controls.at(1016).active);
    EXPECT_FALSE(access->PressInAssertDialog(1016));
    EXPECT_GE(FileSize(path), normal) << "the last good dump stays";
    access->PressInAssertDialog(1002);
    EXPECT_EQ(Answer(answer), Ignore);
    std::remove(path.c_str());  // a full dump is large
}

TEST_F(AssertDialogsTest, AnAssertionOnTheUiThreadGetsADialogToo)
{
    // The UI thread runs while a dialog is open.
    std::future<int>& opener = Assert(basic, "opens the thread");
    Dialog();
    auto onUiThread = std::make_shared<std::promise<int>>();
    std::future<int> answer = onUiThread->get_future();
    ASSERT_TRUE(access->PostToUiThread([this, onUiThread] {
        onUiThread->set_value(advanced.HandleAssert("0", 1, "Source/Console/ConsoleWindow", "on the UI thread"));
    }));
    Snapshot dialog;
    for (int i = 0; i < 500 && (!access->AssertDialog(dialog) || dialog.title != ""); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(dialog.controls.at(1014).text, "on the UI thread");
    access->PressInAssertDialog(1003);
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(answer.get(), IgnoreAlways);
    access->PressInAssertDialog(1002);
    EXPECT_EQ(Answer(opener), Ignore);
}

TEST_F(AssertDialogsTest, TwoAssertingAtOnceEachGetTheirOwnDialog)
{
    std::future<int>& first = Assert(basic, "first");
    Dialog();
    std::future<int>& second = Assert(advanced, "second");
    Snapshot newest;
    for (int i = 0; i < 500 && (!access->AssertDialog(newest) || newest.title != ""); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(newest.controls.at(1014).text, "second");
    access->PressInAssertDialog(1004);
    EXPECT_EQ(Answer(second), Break);
    const Snapshot left = Dialog();
    EXPECT_EQ(left.title, "Vexir Assertion Failed");
    access->PressInAssertDialog(1003);
    EXPECT_EQ(Answer(first), IgnoreAlways);
}

// What a user sees: both dialogs, photographed on the screen.
TEST_F(AssertDialogsTest, BothDialogsAreOnTheScreen)
{
    const char* folder = std::getenv("VEXIR_TEST_OUTPUT");
    for (IAssertHandler* handler : {static_cast<IAssertHandler*>(&basic), static_cast<IAssertHandler*>(&advanced)}) {
        const bool isBasic = handler == &basic;
        std::future<int>& answer = Assert(*handler);
        const Snapshot dialog = Dialog();
        const std::string shot = std::string(folder ? folder : "/tmp") + "/assert-dialog-" +
                                 (isBasic ? "basic" : "advanced") + "-linux.ppm";
        int dark = 0, face = 0;
        for (int look = 0; look < 20 && (dark < 200 || face < dialog.width * dialog.height / 3); ++look) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            VexirTest::Screenshot screen;
            ASSERT_TRUE(VexirTest::TakeScreenshot(dialog.x, dialog.y, dialog.width, dialog.height, shot, screen));
            ASSERT_EQ(screen.width, dialog.width);
            dark = screen.Count(VexirTest::IsNearBlack);
            face = screen.Count(VexirTest::IsLightGrey);
        }
        EXPECT_GE(dark, 200) << "the dialog's text is drawn: " << shot;
        EXPECT_GE(face, dialog.width * dialog.height / 3) << "the dialog's grey face is drawn: " << shot;
        access->PressInAssertDialog(1002);
        EXPECT_EQ(Answer(answer), Ignore);
    }
}

// Run without a display: no dialog can be shown, the site goes on as with
// Ignore, and the assertion is not lost.
TEST(AssertDialogsWithoutWindows, AnswerIsTheFailedDialogsAndTheAssertionIsStillTold)
{
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "run by ctest without a display";
    AssertHandler_BasicWin basic;
    AssertHandler_AdvancedWin advanced;
    for (IAssertHandler* handler : {static_cast<IAssertHandler*>(&basic), static_cast<IAssertHandler*>(&advanced)}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(handler->HandleAssert("x > 0", 9, "Source/Math/Site", "told"), -1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Assertion failed (no assert dialog: no display (DISPLAY is not set)): \"told\"\n\n"
                  "Expression: \"x > 0\"\nFile: Source/Math/Site\nLine: 9\n");
    }
}

}  // namespace
