// The window console as a user sees it: the window found by its class, the
// control's text and character formats read back, the menus driven by their
// commands, and the screen's pixels. Needs a display (under Wine, an X server
// such as Xvfb). The first test must come first: no window has closed yet, so
// none has left a place for the next one to open at.
#include <Vexir/Console.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "Screenshot.h"

namespace {

using namespace Vexir;

class Console_WindowsTest : public VexirTest::ConsoleFixture {
protected:
    void SetUp() override
    {
        ConsoleFixture::SetUp();
        IConsole* console = manager->GetConsole(IMgrConsole::Windows);
        ASSERT_NE(console, nullptr);
        ui = static_cast<IUIConsoleInterface*>(console->GetInterface(InterfaceBase::UI));
        ASSERT_NE(ui, nullptr);
        manager->SetVerbosity(IConsole::Debug);
    }
    void TearDown() override
    {
        if (parent)
            DestroyWindow(parent);
        ConsoleFixture::TearDown();
    }

    // Handles what is waiting for this thread's windows.
    static void Pump()
    {
        MSG message;
        for (int round = 0; round < 20; ++round) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            Sleep(5);
        }
    }
    // This process's console windows: another test program may show its own
    // at the same time.
    static std::vector<HWND> Windows()
    {
        std::vector<HWND> found;
        EnumWindows(
            [](HWND window, LPARAM list) -> BOOL {
                wchar_t name[64] = {};
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                GetClassNameW(window, name, 64);
                if (process == GetCurrentProcessId() && std::wstring(name) == L"VEXIR_DCONSOLE_WND_CLASS")
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static HWND Window()
    {
        const std::vector<HWND> found = Windows();
        return found.empty() ? nullptr : found.front();
    }
    static HWND Control() { return FindWindowExW(Window(), nullptr, L"RichEdit20W", nullptr); }
    static std::string Text()
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Control())) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(Control(), &text[0], static_cast<int>(text.size()))));
        std::string narrow = utf8util::Utf16ToUtf8(text);
        std::string lines;
        for (char c : narrow)
            if (c != '\r')
                lines += c;
        return lines;
    }
    // The format of the first character of `what` in the control.
    static CHARFORMAT2W FormatOf(const std::string& what)
    {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof format;
        FINDTEXTEXW find = {};
        const std::wstring wide = utf8util::Utf8ToUtf16(what);
        find.chrg = {0, -1};
        find.lpstrText = wide.c_str();
        const LRESULT at = SendMessageW(Control(), EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
        EXPECT_GE(at, 0) << what;
        SendMessageW(Control(), EM_SETSEL, at, at + 1);
        SendMessageW(Control(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    static POINT TopLeft()
    {
        RECT rect = {};
        GetWindowRect(Window(), &rect);
        return POINT{rect.left, rect.top};
    }
    HWND MakeParent()
    {
        parent = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP | WS_VISIBLE, 100, 100, 1000, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        return parent;
    }

    IUIConsoleInterface* ui = nullptr;
    HWND parent = nullptr;
};

TEST_F(Console_WindowsTest, OpensAsTheTitledWindowOfItsSizeCentredWithoutAParent)
{
    ASSERT_TRUE(ui->Show(nullptr, 2));
    ASSERT_NE(Window(), nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(Window(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Parvon SDK Console");
    EXPECT_EQ(static_cast<unsigned>(GetWindowLongW(Window(), GWL_STYLE)) & 0x80CF0000u, 0x80CF0000u);
    RECT rect = {}, desktop = {};
    GetWindowRect(Window(), &rect);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(rect.right - rect.left, 640);
    EXPECT_EQ(rect.bottom - rect.top, 300);
    const POINT centred = {std::max(desktop.left + (desktop.right - desktop.left - 640) / 2, 0L),
                           std::max(desktop.top + (desktop.bottom - desktop.top - 300) / 2, 0L)};
    EXPECT_EQ(TopLeft().x, centred.x);
    EXPECT_EQ(TopLeft().y, centred.y);
    EXPECT_TRUE(ui->SetPlacement(3)) << "below nothing is still centred";
    Pump();
    EXPECT_EQ(TopLeft().x, centred.x);
    EXPECT_EQ(TopLeft().y, centred.y);

    EXPECT_TRUE(ui->SetTitle("Render \xC3\xA4 log"));
    GetWindowTextW(Window(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Render \u00E4 log");
    EXPECT_FALSE(ui->SetTitle("bad \xC3\x28")) << "not UTF-8: refused, the title stays";
    GetWindowTextW(Window(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Render \u00E4 log");
    EXPECT_TRUE(ui->SetTitle(std::string(1000, 't'))) << "a long title is cut, not refused";
    EXPECT_EQ(GetWindowTextLengthW(Window()), 254);
}

// Each code places the window against the parent's rectangle, (100, 100) to
// (1100, 700), never at a negative coordinate.
TEST_F(Console_WindowsTest, PlacementsFollowTheParentsRectangle)
{
    ASSERT_NE(MakeParent(), nullptr);
    ASSERT_TRUE(ui->Show(parent, 0));
    const struct {
        unsigned code;
        long x, y;
    } expected[] = {{0, 280, 250}, {1, 0, 100}, {2, 1100, 100}, {3, 100, 700}, {4, 100, 0}, {9, 100, 100}};
    for (const auto& place : expected) {
        EXPECT_TRUE(ui->SetPlacement(place.code));
        EXPECT_EQ(TopLeft().x, place.x) << "code " << place.code;
        EXPECT_EQ(TopLeft().y, place.y) << "code " << place.code;
    }
}

TEST_F(Console_WindowsTest, ReopensWhereItWasClosed)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    SetWindowPos(Window(), nullptr, 333, 222, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(ui->Close());
    EXPECT_EQ(Window(), nullptr);
    EXPECT_FALSE(ui->SetPlacement(0)) << "closed";
    manager->PrintInfo("while closed\n");
    ASSERT_TRUE(ui->Show(nullptr, 0));
    EXPECT_EQ(TopLeft().x, 333);
    EXPECT_EQ(TopLeft().y, 222);
    EXPECT_EQ(Text(), "") << "a message written while closed is dropped";
}

TEST_F(Console_WindowsTest, EachLevelHasItsColourAndWeightAndBlocksIndent)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    manager->PrintError("an error\n");
    manager->PrintWarning("a warning\n");
    manager->BeginBlock(IConsole::Info, "block");
    manager->PrintVerbose("verbose inside\n");
    manager->EndBlock(IConsole::Info, "done");
    manager->PrintDebug("some debug\n");
    EXPECT_EQ(Text(), "an error\na warning\nblock\n    verbose inside\n    done\nsome debug\n");
    const struct {
        const char* text;
        COLORREF colour;
        bool bold;
    } expected[] = {{"an error", RGB(200, 0, 0), true},
                    {"a warning", RGB(200, 0, 255), true},
                    {"block", RGB(0, 0, 0), true},
                    {"verbose inside", RGB(0, 0, 0), false},
                    {"some debug", RGB(120, 120, 120), false}};
    for (const auto& line : expected) {
        const CHARFORMAT2W format = FormatOf(line.text);
        EXPECT_EQ(format.crTextColor, line.colour) << line.text;
        EXPECT_EQ((format.dwEffects & CFE_BOLD) != 0, line.bold) << line.text;
    }
    manager->SetVerbosity(IConsole::Info);
    manager->PrintVerbose("below the threshold\n");
    EXPECT_EQ(Text().find("below"), std::string::npos);
}

TEST_F(Console_WindowsTest, TheVerbosityMenuSetsTheThresholdAndShowsIt)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    SendMessageW(Window(), WM_COMMAND, 9007, 0);
    EXPECT_EQ(manager->GetVerbosity(), IConsole::Warning);
    SendMessageW(Window(), WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(Window())), 0);
    HMENU verbosity = GetSubMenu(GetSubMenu(GetMenu(Window()), 0), 2);
    ASSERT_NE(verbosity, nullptr);
    EXPECT_TRUE(GetMenuState(verbosity, 9007, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(verbosity, 9008, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageW(Window(), WM_COMMAND, 9010, 0);
    EXPECT_EQ(manager->GetVerbosity(), IConsole::Debug);

    manager->PrintInfo("copied \xE2\x82\xAC\n");
    SendMessageW(Window(), WM_COMMAND, 9015, 0);
    SendMessageW(Window(), WM_COMMAND, 9013, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* clipboard = copied ? static_cast<const wchar_t*>(GlobalLock(copied)) : nullptr;
    EXPECT_EQ(std::wstring(clipboard ? clipboard : L"").substr(0, 8), L"copied \u20AC");
    if (clipboard)
        GlobalUnlock(copied);
    CloseClipboard();

    SendMessageW(Window(), WM_COMMAND, 9014, 0);
    EXPECT_EQ(Text(), "");
    SendMessageW(Window(), WM_COMMAND, 9001, 0);
    Pump();
    EXPECT_EQ(Window(), nullptr) << "Close Console closes it";
}

// New text scrolls into view while the caret is at the end; a reader who
// selected something further up keeps the selection and the scroll position.
TEST_F(Console_WindowsTest, TheViewFollowsNewTextUnlessTheReaderIsElsewhere)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    for (int i = 0; i < 60; ++i)
        manager->PrintInfo("line %d\n", i);
    EXPECT_GT(SendMessageW(Control(), EM_GETFIRSTVISIBLELINE, 0, 0), 30) << "followed the end";
    SendMessageW(Control(), EM_SETSEL, 7, 13);
    SendMessageW(Control(), WM_VSCROLL, SB_TOP, 0);
    for (int i = 60; i < 90; ++i)
        manager->PrintInfo("line %d\n", i);
    EXPECT_EQ(SendMessageW(Control(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    CHARRANGE selection = {};
    SendMessageW(Control(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 7);
    EXPECT_EQ(selection.cpMax, 13);
    EXPECT_NE(Text().find("line 89\n"), std::string::npos);
}

// Two threads showing the console at once (the host's, and one whose warning
// shows it) make one window.
TEST_F(Console_WindowsTest, ShowingFromTwoPlacesAtOnceMakesOneWindow)
{
    std::atomic<int> ready{0};
    std::atomic<bool> done{false};
    auto show = [&] {
        ++ready;
        while (ready < 2)
            std::this_thread::yield();
        EXPECT_TRUE(ui->Show(nullptr, 0));
        while (!done)
            Sleep(5);
    };
    std::thread first(show), second(show);
    int windows = 0;
    for (int i = 0; i < 200 && !Window(); ++i)
        Sleep(10);
    Sleep(100);
    windows = static_cast<int>(Windows().size());
    done = true;
    first.join();
    second.join();
    EXPECT_EQ(windows, 1);
}

// Another thread's messages wait in the queue until the owner drains it: at
// its own next message, or when it handles the drain message.
TEST_F(Console_WindowsTest, AWorkersMessagesArriveInOrderThroughTheOwner)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    std::thread([&] {
        manager->PrintInfo("worker 1\n");
        manager->PrintInfo("worker 2\n");
    }).join();
    EXPECT_EQ(Text(), "") << "only the owner thread touches the window";
    manager->PrintInfo("owner 1\n");
    EXPECT_EQ(Text(), "worker 1\nworker 2\nowner 1\n");
    std::thread([&] { manager->PrintInfo("worker 3\n"); }).join();
    Pump();
    EXPECT_EQ(Text(), "worker 1\nworker 2\nowner 1\nworker 3\n");
}

TEST_F(Console_WindowsTest, ALineThatIsNotUtf8ThrowsOnTheOwnerAndIsDroppedFromTheQueue)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    manager->PrintInfo("before\n");
    EXPECT_THROW(manager->PrintInfo("bad \xC3\x28\n"), utf8util::utf8_conversion_error);
    EXPECT_EQ(Text(), "before\n");
    std::thread([&] {
        manager->PrintInfo("bad \xC3\x28 again\n");
        manager->PrintInfo("good\n");
    }).join();
    Pump();
    EXPECT_EQ(Text(), "before\ngood\n");
}

TEST_F(Console_WindowsTest, MessagesFromBeforeTheFirstOpeningAreShownWhenItOpens)
{
    std::thread([&] { manager->PrintWarning("early\n"); }).join();
    manager->PrintInfo("also early\n");
    ASSERT_TRUE(ui->Show(nullptr, 0));
    EXPECT_EQ(Text(), "early\nalso early\n");
}

// A window that another thread runs: messages from here reach it, and
// removing the console from here closes it there, with nothing left to call
// back into the console.
TEST_F(Console_WindowsTest, AWindowOnAnotherThreadOutlivesNothingItUses)
{
    std::atomic<int> stage{0};
    std::atomic<bool> shown{false};
    std::thread owner([&] {
        shown = ui->Show(nullptr, 0);
        stage = 1;
        MSG message;
        while (stage < 3) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(5);
        }
    });
    while (stage < 1)
        Sleep(5);
    if (!shown) {
        stage = 3;
        owner.join();
        FAIL() << "not shown";
    }
    manager->PrintInfo("to the other thread\n");
    for (int i = 0; i < 200 && Text() != "to the other thread\n"; ++i)
        Sleep(10);
    EXPECT_EQ(Text(), "to the other thread\n");
    EXPECT_TRUE(ui->SetTitle("set from here"));
    for (int i = 0; i < 200 && GetWindowTextLengthW(Window()) != 13; ++i)
        Sleep(10);
    EXPECT_EQ(GetWindowTextLengthW(Window()), 13);

    manager->RemoveAllConsoles(true);
    for (int i = 0; i < 200 && Window(); ++i)
        Sleep(10);
    EXPECT_EQ(Window(), nullptr) << "closed by its own thread";
    stage = 3;
    owner.join();
}

// The thread that opened the window ended, and the window with it; the
// console opens a new one for whoever asks next.
TEST_F(Console_WindowsTest, AWindowWhoseThreadEndedIsOpenedAgainByTheNextThread)
{
    std::thread([&] { EXPECT_TRUE(ui->Show(nullptr, 0)); }).join();
    EXPECT_EQ(Window(), nullptr) << "Windows ends a thread's windows with it";
    EXPECT_FALSE(ui->SetPlacement(0));
    ASSERT_TRUE(ui->Show(nullptr, 0));
    manager->PrintInfo("written at once\n");
    EXPECT_EQ(Text(), "written at once\n") << "this thread owns the new window";
}

// What a user sees: the error line's red on the screen, inside the window.
TEST_F(Console_WindowsTest, TheErrorLineIsRedOnTheScreen)
{
    ASSERT_TRUE(ui->Show(nullptr, 0));
    manager->PrintInfo("an info line\n");
    manager->PrintError("AN ERROR LINE WITH SOME LENGTH TO IT\n");
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT rect = {};
    GetWindowRect(Window(), &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // Kept for a person to look at.
    const char* folder = std::getenv("VEXIR_TEST_OUTPUT");
    VexirTest::Screenshot shot;
    ASSERT_TRUE(VexirTest::TakeScreenshot(rect.left, rect.top, width, height,
                                          std::string(folder ? folder : ".") + "/console-window-windows.bmp", shot));
    int red = 0, grey = 0;
    for (int row = 0; row < shot.height; ++row)
        for (int column = 0; column < shot.width; ++column) {
            const unsigned char* p = shot.At(column, row);
            if (p[0] >= 150 && p[1] <= 60 && p[2] <= 60)
                ++red;
            if (p[0] == 200 && p[1] == 200 && p[2] == 200)
                ++grey;
        }
    EXPECT_GT(red, 50) << "the error line's pixels";
    EXPECT_GT(grey, 640 * 100) << "the control's background";
}

TEST_F(Console_WindowsTest, TheProcessExitsCleanlyWithTheWindowOpen)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"window-open-at-exit"});
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, "shown\n");
}

}  // namespace
