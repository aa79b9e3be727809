// The assert dialogs on Windows as a user meets them: the asserting thread
// sits in the dialog's modal loop while this thread reads the controls back,
// presses buttons and keys through the window messages, reads the clipboard
// and the dump, and photographs both dialogs. Needs a display (under Wine,
// ./dev test starts Xvfb).
#include <Vexir/Assert.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "Assert/AssertDialogText.h"
#include "Screenshot.h"

namespace {

using namespace Vexir;

const char kBasicText[] = "\"the buffer is missing\"\n\nExpression: \"_pData != NULL\"\nFile: Source/Network/TextPacket\n"
                          "Line: 42\n";

std::string Narrow(const std::wstring& wide)
{
    std::string text;
    for (wchar_t c : wide)
        text += c < 128 ? static_cast<char>(c) : '?';
    return text;
}

std::string TextOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return Narrow(text);
}

std::string ClipboardText(UINT format = CF_TEXT)
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<clipboard not opened>";
    if (HANDLE data = GetClipboardData(format)) {
        if (format == CF_UNICODETEXT)
            text = Narrow(static_cast<const wchar_t*>(GlobalLock(data)));
        else
            text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

struct DropList {
    bool found = false;
    DWORD offset = 0;
    BOOL wide = FALSE;
    std::wstring first;
};

DropList ClipboardFiles()
{
    DropList list;
    if (!OpenClipboard(nullptr))
        return list;
    if (HANDLE data = GetClipboardData(CF_HDROP)) {
        const auto* drop = static_cast<const DROPFILES*>(GlobalLock(data));
        list.found = true;
        list.offset = drop->pFiles;
        list.wide = drop->fWide;
        list.first = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(drop) + drop->pFiles);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return list;
}

std::wstring DumpPath()
{
    wchar_t directory[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, directory);
    return std::wstring(directory) + L"VexirMinidump.dmp";
}

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// One control of a template: its id and rectangle in dialog units.
struct TemplateControl {
    int id;
    RECT units;  // left, top, width, height
};

class AssertDialogsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // A failed test must not leave an asserting thread waiting for ever:
        // every assert dialog of this process is answered.
        for (int round = 0; round < 100 && !AllAnswered(); ++round) {
            EnumWindows(
                [](HWND window, LPARAM) {
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    wchar_t name[16] = {};
                    GetClassNameW(window, name, 16);
                    if (process == GetCurrentProcessId() && std::wstring(name) == L"#32770")
                        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
                    return TRUE;
                },
                0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    bool AllAnswered()
    {
        for (auto& answer : answers)
            if (answer.valid() && answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
                return false;
        return true;
    }

    // Asserts on a thread of its own, which sits in the dialog's loop.
    std::future<int>& Assert(IAssertHandler& handler, const char* message = "the buffer is missing")
    {
        threadId = 0;
        answers.push_back(std::async(std::launch::async, [this, &handler, message] {
            threadId = GetCurrentThreadId();
            return handler.HandleAssert("_pData != NULL", 42, "Source/Network/TextPacket", message);
        }));
        return answers.back();
    }

    // The dialog of the thread that asserted last.
    HWND FindDialog(bool wait = true)
    {
        for (int i = 0; i < (wait ? 500 : 1); ++i) {
            HWND found = nullptr;
            if (threadId)
                EnumThreadWindows(
                    threadId,
                    [](HWND window, LPARAM result) {
                        wchar_t name[16] = {};
                        GetClassNameW(window, name, 16);
                        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window))
                            return TRUE;
                        *reinterpret_cast<HWND*>(result) = window;
                        return FALSE;
                    },
                    reinterpret_cast<LPARAM>(&found));
            if (found)
                return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return nullptr;
    }

    static void Press(HWND dialog, int id)
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    // A key as the keyboard sends it: to the focused control, through the
    // dialog's own loop.
    void Key(WPARAM key)
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetGUIThreadInfo(threadId, &info));
        ASSERT_NE(info.hwndFocus, nullptr);
        PostMessageW(info.hwndFocus, WM_KEYDOWN, key, 1);
        PostMessageW(info.hwndFocus, WM_KEYUP, key, 0xC0000001);
    }

    static int Answer(std::future<int>& answer)
    {
        if (answer.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
            return -100;
        return answer.get();
    }

    static void ExpectLayout(HWND dialog, const std::vector<TemplateControl>& controls)
    {
        for (const TemplateControl& control : controls) {
            // Windows maps the position and the size each on its own.
            RECT position = {control.units.left, control.units.top, control.units.right, control.units.bottom};
            MapDialogRect(dialog, &position);
            const RECT expected = {position.left, position.top, position.left + position.right,
                                   position.top + position.bottom};
            HWND window = GetDlgItem(dialog, control.id);
            ASSERT_NE(window, nullptr) << control.id;
            RECT actual = {};
            GetWindowRect(window, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left) << control.id;
            EXPECT_EQ(actual.top, expected.top) << control.id;
            EXPECT_EQ(actual.right, expected.right) << control.id;
            EXPECT_EQ(actual.bottom, expected.bottom) << control.id;
        }
    }

    AssertHandler_BasicWin basic;
    AssertHandler_AdvancedWin advanced;
    std::atomic<DWORD> threadId{0};
    std::deque<std::future<int>> answers;  // stays where it is as more come
};

TEST_F(AssertDialogsTest, BasicDialogIsTheTemplateAndAnswersByItsButtons)
{
    const struct {
        int button;
        int answer;
    } presses[] = {{1002, Ignore}, {1003, IgnoreAlways}, {1004, Break}};
    for (const auto& press : presses) {
        std::future<int>& answer = Assert(basic);
        HWND dialog = FindDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TextOf(dialog), "Vexir Assertion Failed");
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_EQ(style & WS_SYSMENU, 0) << "no system menu";
        EXPECT_NE(style & WS_CAPTION, 0);
        EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1001)), ToCrLf(kBasicText)) << "the edit control's line ends";
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1002)), "Ignore");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1003)), "Ignore Always");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1004)), "Debug");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1008)), "Copy Text");
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), 1002);
        ExpectLayout(dialog, {{1002, {7, 101, 50, 14}},
                              {1004, {126, 101, 50, 14}},
                              {1008, {126, 81, 50, 14}},
                              {1001, {7, 7, 169, 74}},
                              {1003, {63, 101, 56, 14}}});
        EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
        Press(dialog, press.button);
        EXPECT_EQ(Answer(answer), press.answer) << "button " << press.button;
    }
}

TEST_F(AssertDialogsTest, EscapeDoesNothingReturnIgnoresAndClosingIgnoresAlways)
{
    for (IAssertHandler* handler : {static_cast<IAssertHandler*>(&basic), static_cast<IAssertHandler*>(&advanced)}) {
        std::future<int>& escaped = Assert(*handler);
        HWND dialog = FindDialog();
        ASSERT_NE(dialog, nullptr);
        Key(VK_ESCAPE);
        EXPECT_EQ(escaped.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
            << "Escape ended the dialog";
        EXPECT_TRUE(IsWindow(dialog));
        Key(VK_RETURN);
        EXPECT_EQ(Answer(escaped), Ignore) << "Return presses the default button, "
                                           << (handler == &basic ? "basic" : "advanced");

        std::future<int>& closed = Assert(*handler);
        dialog = FindDialog();
        ASSERT_NE(dialog, nullptr);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
        EXPECT_EQ(Answer(closed), IgnoreAlways);
    }
}

TEST_F(AssertDialogsTest, CopyTextPutsPlainLinesOnTheClipboardAndKeepsTheDialog)
{
    std::future<int>& answer = Assert(basic);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, 1008);
    EXPECT_EQ(ClipboardText(), kBasicText);
    EXPECT_EQ(ClipboardText(CF_UNICODETEXT), kBasicText);
    EXPECT_TRUE(IsWindow(dialog));
    Press(dialog, 1002);
    EXPECT_EQ(Answer(answer), Ignore);

    std::future<int>& advancedAnswer = Assert(advanced);
    dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, 1008);
    std::string stack = TextOf(GetDlgItem(dialog, 1017));
    for (std::size_t at = 0; (at = stack.find("\r\n", at)) != std::string::npos;)
        stack.erase(at, 1);
    EXPECT_EQ(ClipboardText(), kBasicText + std::string("\n\nCall Stack\n") + stack)
;
    Press(dialog, 1002);
    EXPECT_EQ(Answer(advancedAnswer), Ignore);
}

TEST_F(AssertDialogsTest, AdvancedDialogIsTheTemplateWithEveryField)
{
    std::future<int>& answer = Assert(advanced, nullptr);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), "") << "the caption is cleared";
    EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1014)), "");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1013)), "_pData != NULL");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1011)), "Source/Network/TextPacket");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1012)), "42");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1015)), "");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1006)), "Create Minidump File");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1016)), "Copy Minidump File");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1016))) << "no dump yet";
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1018), BST_UNCHECKED);
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), 1002);
    const std::string stack = TextOf(GetDlgItem(dialog, 1017));
    EXPECT_EQ(stack.find("DbgHelp.dll information\r\nDLL location:"), 0u) << stack;
    EXPECT_NE(stack.find("imagehlp.dll\r\nAPI version: "), std::string::npos) << stack;
    const std::string sorry = "\r\n\r\nSorry, ShowStack is not supported in 64 bit OS yet.";
    ASSERT_GE(stack.size(), sorry.size());
    EXPECT_EQ(stack.substr(stack.size() - sorry.size()), sorry) << stack;
    ExpectLayout(dialog, {{1014, {48, 35, 270, 24}},  {1011, {48, 64, 270, 14}},  {1012, {48, 80, 270, 14}},
                          {1013, {48, 96, 270, 14}},  {1017, {48, 119, 270, 86}}, {1015, {48, 230, 258, 14}},
                          {1006, {100, 247, 81, 14}}, {1016, {231, 247, 75, 14}}, {1002, {7, 277, 56, 14}},
                          {1003, {71, 277, 56, 14}},  {1004, {135, 277, 56, 14}}, {1008, {256, 277, 50, 14}},
                          {1018, {48, 249, 47, 10}}});
    // The labels, in template order.
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1)
            labels.push_back(TextOf(child));
    const std::vector<std::string> expected = {
        "Assertion failed in the below location. You can copy the text information or generate a minidump file to "
        "send to the developer for inspection.",
        "Description:", "File:", "Line", "Expression:", "Call Stack:", "Minidump File", "File:"};
    EXPECT_EQ(labels, expected);
    Press(dialog, 1004);
    EXPECT_EQ(Answer(answer), Break);
}

TEST_F(AssertDialogsTest, MinidumpIsAFileADebuggerOpens)
{
    // Enough memory that the full dump shows it.
    std::vector<char> heap(16 << 20, 'x');
    const std::wstring path = DumpPath();
    DeleteFileW(path.c_str());
    std::future<int>& answer = Assert(advanced);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, 1006);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1015)), Narrow(path)) << "one backslash before the name";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1016)));
    std::ifstream file(path.c_str(), std::ios::binary);
    char magic[4] = {};
    file.read(magic, 4);
    EXPECT_EQ(std::string(magic, 4), "MDMP");
    file.close();
    const long long normal = FileSize(path);

    Press(dialog, 1016);
    const DropList list = ClipboardFiles();
    ASSERT_TRUE(list.found);
    EXPECT_EQ(list.offset, 20u);
    EXPECT_TRUE(list.wide);
    EXPECT_EQ(list.first, path);

    SendMessageW(GetDlgItem(dialog, 1018), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1018), BST_CHECKED);
    Press(dialog, 1006);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1015)), Narrow(path));
    EXPECT_GT(FileSize(path), normal + (16 << 20)) << "the full dump holds the process's memory";

    // A dump that cannot be created: the text says so and the copy button
    // goes dark again.
    HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Press(dialog, 1006);
    CloseHandle(locked);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 1015)), "<could not create dump file; minidump could not be created>");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1016)));
    Press(dialog, 1002);
    EXPECT_EQ(Answer(answer), Ignore);
    DeleteFileW(path.c_str());  // a full dump is large
}

TEST_F(AssertDialogsTest, TwoAssertingAtOnceEachGetTheirOwnDialog)
{
    std::future<int>& first = Assert(basic, "first");
    HWND firstDialog = FindDialog();
    ASSERT_NE(firstDialog, nullptr);
    std::future<int>& second = Assert(advanced, "second");
    HWND secondDialog = FindDialog();
    ASSERT_NE(secondDialog, nullptr);
    ASSERT_NE(firstDialog, secondDialog);
    EXPECT_EQ(TextOf(GetDlgItem(secondDialog, 1014)), "second");
    Press(secondDialog, 1004);
    EXPECT_EQ(Answer(second), Break);
    Press(firstDialog, 1003);
    EXPECT_EQ(Answer(first), IgnoreAlways);
}

// What a user sees: both dialogs, photographed on the screen.
TEST_F(AssertDialogsTest, BothDialogsAreOnTheScreen)
{
    const char* folder = std::getenv("VEXIR_TEST_OUTPUT");
    for (IAssertHandler* handler : {static_cast<IAssertHandler*>(&basic), static_cast<IAssertHandler*>(&advanced)}) {
        std::future<int>& answer = Assert(*handler);
        HWND dialog = FindDialog();
        ASSERT_NE(dialog, nullptr);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        RECT rect = {};
        GetWindowRect(dialog, &rect);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        const std::string name = std::string(folder ? folder : ".") + "/assert-dialog-" +
                                 (handler == &basic ? "basic" : "advanced") + "-windows.bmp";
        VexirTest::Screenshot shot;
        ASSERT_TRUE(VexirTest::TakeScreenshot(rect.left, rect.top, width, height, name, shot));
        const int dark = shot.Count(VexirTest::IsNearBlack);
        const int face = shot.Count(VexirTest::IsLightGrey);
        EXPECT_GE(dark, 200) << "the dialog's text is drawn: " << name;
        EXPECT_GE(face, width * height / 3) << "the dialog's face is drawn: " << name;
        Press(dialog, 1002);
        EXPECT_EQ(Answer(answer), Ignore);
    }
}

}  // namespace
