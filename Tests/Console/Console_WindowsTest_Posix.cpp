// The window console on Linux as a user sees it: the window's widgets read
// back through the UI module's test access, the menus driven by their
// commands, positions read from the X server, and one screenshot. Needs a
// display (./dev test starts Xvfb).
#include <Vexir/Console.h>
#include <Vexir/Files.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "Foundation/UiTestAccess.h"
#include "ScratchDirectory.h"
#include "Screenshot.h"
#include "UiModuleTestAccess.h"

// After ours: X11's headers define Above and Below as macros.
#include <X11/Xlib.h>

extern char** environ;

namespace {

using namespace Vexir;

// The window's top-left corner on the screen, as the X server has it.
bool ScreenPosition(unsigned long window, int& x, int& y)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    ::Window child = 0;
    const bool found = XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child) != 0;
    XCloseDisplay(display);
    return found;
}

class Console_WindowsTest : public VexirTest::ConsoleFixture {
protected:
    void SetUp() override
    {
        ConsoleFixture::SetUp();
        console = manager->GetConsole(IMgrConsole::Windows);
        ASSERT_NE(console, nullptr);
        ui = static_cast<IUIConsoleInterface*>(console->GetInterface(InterfaceBase::UI));
        ASSERT_NE(ui, nullptr);
        manager->SetVerbosity(IConsole::Debug);
    }
    void TearDown() override
    {
        ConsoleFixture::TearDown();
        if (display) {
            if (parent)
                XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }

    // Opens the window and finds the module's test access.
    void Open(NativeWindowHandle owner = nullptr, unsigned placement = 0)
    {
        ASSERT_TRUE(ui->Show(owner, placement));
        access = VexirTest::UiModuleTestAccess();
        ASSERT_NE(access, nullptr);
    }
    ui::ConsoleWindowSnapshot Snapshot()
    {
        ui::ConsoleWindowSnapshot snapshot;
        EXPECT_TRUE(access->Flush());
        EXPECT_TRUE(access->Snapshot(Window(), snapshot));
        return snapshot;
    }
    // The title of the file dialog once it is on the screen.
    std::string DialogTitle()
    {
        for (int i = 0; i < 400; ++i) {
            const std::string title = access->DialogTitle();
            if (!title.empty())
                return title;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return std::string();
    }
    // Removes every console; should that hang, the test program ends with a
    // failure rather than wait for ctest's timeout.
    void RemoveAllWithin(std::chrono::seconds limit)
    {
        auto removed = std::make_shared<std::promise<void>>();
        auto done = removed->get_future();
        std::thread([this, removed] {
            manager->RemoveAllConsoles(true);
            removed->set_value();
        }).detach();
        if (done.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "removing the consoles hangs";
            std::_Exit(1);
        }
    }
    void Position(int& x, int& y)
    {
        access->Flush();
        ASSERT_TRUE(ScreenPosition(access->XWindow(Window()), x, y));
    }
    // A host window at (100, 100), 1000 x 600.
    NativeWindowHandle MakeParent()
    {
        display = XOpenDisplay(nullptr);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 1000, 600, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        return reinterpret_cast<NativeWindowHandle>(static_cast<std::uintptr_t>(parent));
    }

    ui::ConsoleWindow* Window() { return access->LatestWindow(); }

    IConsole* console = nullptr;
    IUIConsoleInterface* ui = nullptr;
    const ui::TestAccess* access = nullptr;
    Display* display = nullptr;
    ::Window parent = 0;
};

// First in this program: no window has closed yet, so none has left a place
// for the next one to open at.
TEST_F(Console_WindowsTest, OpensCentredAtItsSizeWithItsTitleMenusAndLook)
{
    Open(nullptr, 2);
    ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_TRUE(window.open);
    EXPECT_EQ(window.title, "Parvon SDK Console");
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 300);
    int x = 0, y = 0;
    Position(x, y);
    Display* screen = XOpenDisplay(nullptr);
    const int screenWidth = DisplayWidth(screen, 0), screenHeight = DisplayHeight(screen, 0);
    XCloseDisplay(screen);
    EXPECT_EQ(x, (screenWidth - 640) / 2) << "without a parent every placement is centred";
    EXPECT_EQ(y, (screenHeight - 300) / 2);
    EXPECT_TRUE(ui->SetPlacement(3));
    Position(x, y);
    EXPECT_EQ(x, (screenWidth - 640) / 2);

    EXPECT_EQ(window.background, 0xC8C8C8u);
    EXPECT_EQ(window.menu, (std::vector<std::string>{"&File", "Save As...", "-", "&Verbosity", "-", "&Silent", "&Error",
                                                     "&Warning", "&Info", "&Verbose", "&Debug", "&Close Console",
                                                     "&Edit", "C&lear", "-", "&Copy", "-", "Select &All"}));
    const struct {
        char style;
        unsigned colour;
        bool bold;
    } looks[] = {{'A', 0xC80000, true},  {'B', 0xC800FF, true},  {'C', 0x000000, true},
                 {'D', 0x000000, false}, {'E', 0x787878, false}, {'F', 0x000000, false}};
    for (const auto& expected : looks) {
        ui::StyleLook look;
        ASSERT_TRUE(access->LookOf(expected.style, look));
        EXPECT_EQ(look.colour, expected.colour) << expected.style;
        EXPECT_EQ(look.bold, expected.bold) << expected.style;
        EXPECT_TRUE(look.fixedPitch);
        EXPECT_EQ(look.size, 14);
    }

    EXPECT_TRUE(ui->SetTitle("Render \xC3\xA4 log"));
    EXPECT_EQ(Snapshot().title, "Render \xC3\xA4 log");
    EXPECT_FALSE(ui->SetTitle("bad \xC3\x28")) << "not UTF-8: refused, the title stays";
    EXPECT_EQ(Snapshot().title, "Render \xC3\xA4 log");
    // 254 units, and a character outside the basic plane counts twice.
    std::string longTitle(253, 't');
    longTitle += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(ui->SetTitle(longTitle));
    EXPECT_EQ(Snapshot().title, std::string(253, 't'));
}

// Each code places the window against the parent's rectangle, (100, 100) to
// (1100, 700), never at a negative coordinate.
TEST_F(Console_WindowsTest, PlacementsFollowTheParentAndAReopenedWindowReturnsWhereItClosed)
{
    Open(MakeParent(), 2);
    int x = 0, y = 0;
    Position(x, y);
    EXPECT_EQ(x, 1100);
    EXPECT_EQ(y, 100);
    const struct {
        unsigned code;
        int x, y;
    } expected[] = {{0, 280, 250}, {1, 0, 100}, {2, 1100, 100}, {3, 100, 700}, {4, 100, 0}, {9, 100, 100}};
    for (const auto& place : expected) {
        EXPECT_TRUE(ui->SetPlacement(place.code));
        Position(x, y);
        EXPECT_EQ(x, place.x) << "code " << place.code;
        EXPECT_EQ(y, place.y) << "code " << place.code;
    }

    ASSERT_TRUE(ui->SetPlacement(3));
    manager->PrintInfo("before closing\n");
    EXPECT_TRUE(ui->Close());
    EXPECT_FALSE(Snapshot().open);
    EXPECT_FALSE(ui->SetPlacement(0)) << "closed";
    EXPECT_FALSE(ui->SetTitle("while closed")) << "kept for the next opening";
    manager->PrintInfo("while closed\n");
    ASSERT_TRUE(ui->Show(reinterpret_cast<NativeWindowHandle>(static_cast<std::uintptr_t>(parent)), 0));
    Position(x, y);
    EXPECT_EQ(x, 100) << "where it closed, not centred";
    EXPECT_EQ(y, 700);
    const ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_EQ(window.text, "") << "a reopened window starts empty";
    EXPECT_EQ(window.title, "while closed");

    // The host's window goes away: placing beside it places beside the
    // screen, and the X error that asking about it raises ends nothing.
    XDestroyWindow(display, parent);
    XSync(display, False);
    parent = 0;
    EXPECT_TRUE(ui->SetPlacement(2));
    Position(x, y);
    EXPECT_EQ(x, DisplayWidth(display, 0));
    EXPECT_EQ(y, 0);
}

TEST_F(Console_WindowsTest, EachLevelHasItsStyleBlocksIndentAndTheThresholdFilters)
{
    Open();
    manager->PrintError("an error\n");
    manager->PrintWarning("a warning\n");
    manager->BeginBlock(IConsole::Info, "block");
    manager->PrintVerbose("verbose inside\n");
    manager->EndBlock(IConsole::Info, "done");
    manager->PrintDebug("some debug\n");
    manager->SetVerbosity(IConsole::Info);
    manager->PrintVerbose("below the threshold\n");
    const ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_EQ(window.text, "an error\na warning\nblock\n    verbose inside\n    done\nsome debug\n");
    EXPECT_EQ(window.styles, std::string(9, 'A') + std::string(10, 'B') + std::string(6, 'C') + std::string(19, 'D') +
                                 std::string(9, 'C') + std::string(11, 'E'));
}

TEST_F(Console_WindowsTest, TheMenusSetTheThresholdClearSelectSaveAndClose)
{
    VexirTest::ScratchDirectory scratch;
    Open();
    ASSERT_TRUE(access->Command(Window(), 9007));
    EXPECT_EQ(manager->GetVerbosity(), IConsole::Warning);
    EXPECT_EQ(Snapshot().markedVerbosity, 2);
    manager->SetVerbosity(IConsole::Verbose);
    EXPECT_EQ(Snapshot().markedVerbosity, 4) << "the mark follows the threshold, however it was set";

    manager->PrintInfo("first \xE2\x82\xAC line\n");
    manager->PrintError("second line\n");
    ASSERT_TRUE(access->Command(Window(), 9015));
    ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_EQ(window.selectionStart, 0);
    EXPECT_EQ(window.selectionEnd, static_cast<int>(window.text.size()));
    ASSERT_TRUE(access->Command(Window(), 9003));
    EXPECT_EQ(DialogTitle(), "Save Console Data As....");
    ASSERT_TRUE(access->AnswerDialog(scratch.Path("saved").c_str()));
    // Written once the dialog's loop has returned.
    for (int i = 0; i < 200 && scratch.ReadText("saved.txt").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_EQ(scratch.ReadText("saved.txt"), "first \xE2\x82\xAC line\nsecond line\n")
        << "plain UTF-8 text, the text filter's extension added";

    ASSERT_TRUE(access->Command(Window(), 9014));
    EXPECT_EQ(Snapshot().text, "");
    manager->PrintInfo("after clearing\n");
    EXPECT_EQ(Snapshot().text, "after clearing\n");
    ASSERT_TRUE(access->Command(Window(), 9001));
    EXPECT_FALSE(Snapshot().open) << "Close Console closes it";
}

// Removing the console while its Save As dialog or a menu is up closes them
// as cancelled and holds up nobody; the next console starts afresh.
TEST_F(Console_WindowsTest, RemovingTheConsoleEndsItsOpenDialogOrMenu)
{
    for (const bool menu : {false, true}) {
        Open();
        manager->PrintInfo("some text\n");
        if (menu) {
            ASSERT_TRUE(access->OpenMenu(Window()));
            for (int i = 0; i < 400 && !access->MenuOpen(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            ASSERT_TRUE(access->MenuOpen());
        } else {
            ASSERT_TRUE(access->Command(Window(), 9003));
            ASSERT_EQ(DialogTitle(), "Save Console Data As....");
        }
        RemoveAllWithin(std::chrono::seconds(20));
        console = manager->GetConsole(IMgrConsole::Windows);
        ui = static_cast<IUIConsoleInterface*>(console->GetInterface(InterfaceBase::UI));
    }
    Open();
    manager->PrintInfo("after\n");
    EXPECT_EQ(Snapshot().text, "after\n");
}

// New text scrolls into view while the caret is at the end; a reader who
// selected something further up keeps the selection and the scroll position.
TEST_F(Console_WindowsTest, TheViewFollowsNewTextUnlessTheReaderIsElsewhere)
{
    Open();
    for (int i = 0; i < 60; ++i)
        manager->PrintInfo("line %d\n", i);
    ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_GT(window.topLine, 30) << "followed the end";
    EXPECT_EQ(window.caret, static_cast<int>(window.text.size()));

    ASSERT_TRUE(access->Select(Window(), 7, 13));
    ASSERT_TRUE(access->ScrollTo(Window(), 2));
    for (int i = 60; i < 90; ++i)
        manager->PrintInfo("line %d\n", i);
    window = Snapshot();
    EXPECT_EQ(window.topLine, 2);
    EXPECT_EQ(window.selectionStart, 7);
    EXPECT_EQ(window.selectionEnd, 13);
    EXPECT_NE(window.text.find("line 89\n"), std::string::npos);
}

// A long render's log: the window keeps its newest lines, whole, and their
// colours with them.
TEST_F(Console_WindowsTest, ALongLogKeepsItsNewestLinesWhole)
{
    Open();
    const std::string padding(50, '.');
    for (int i = 0; i < 80000; ++i)
        manager->PrintInfo("line %06d %s\n", i, padding.c_str());
    const ui::ConsoleWindowSnapshot window = Snapshot();
    EXPECT_GE(window.text.size(), 3u << 20);
    EXPECT_LE(window.text.size(), 4u << 20);
    EXPECT_EQ(window.text.compare(0, 5, "line "), 0) << "cut between lines";
    EXPECT_NE(window.text.find("line 079999 "), std::string::npos);
    EXPECT_EQ(window.text.find("line 000000 "), std::string::npos);
    EXPECT_EQ(window.styles, std::string(window.text.size(), 'C'));
}

// Messages from any thread arrive whole and in each thread's order, those
// from before the first opening first; a line that is not UTF-8 is dropped.
TEST_F(Console_WindowsTest, MessagesFromEveryThreadArriveInOrderAndBadOnesAreDropped)
{
    std::thread([&] { manager->PrintWarning("early\n"); }).join();
    manager->PrintInfo("also early\n");
    Open();
    std::thread([&] {
        manager->PrintInfo("worker 1\n");
        manager->PrintInfo("bad \xC3\x28 line\n");
        manager->PrintInfo("worker 2\n");
    }).join();
    manager->PrintInfo("main\n");
    EXPECT_EQ(Snapshot().text, "early\nalso early\nworker 1\nworker 2\nmain\n");

    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                manager->PrintInfo("t%d %d\n", t, i);
        });
    for (auto& worker : workers)
        worker.join();
    const std::string text = Snapshot().text;
    for (int t = 0; t < 4; ++t) {
        std::size_t at = 0;
        for (int i = 0; i < 500; ++i) {
            const std::string line = "t" + std::to_string(t) + " " + std::to_string(i) + "\n";
            const std::size_t found = text.find(line, at);
            ASSERT_NE(found, std::string::npos) << line;
            at = found + line.size();
        }
    }
}

// What a user sees: the error line's red on the screen, in the window.
TEST_F(Console_WindowsTest, TheErrorLineIsRedOnTheScreen)
{
    Open();
    manager->PrintInfo("an info line\n");
    manager->PrintError("AN ERROR LINE WITH SOME LENGTH TO IT\n");
    int x = 0, y = 0;
    Position(x, y);
    const char* folder = std::getenv("VEXIR_TEST_OUTPUT");
    const std::string shot = std::string(folder ? folder : "/tmp") + "/console-window-linux.ppm";
    int red = 0, grey = 0, elsewhereRed = 0;
    // The server draws when it gets to it: a few looks, until the line is there.
    for (int look = 0; look < 20 && red <= 50; ++look) {
        access->Flush();
        VexirTest::Screenshot screen;
        ASSERT_TRUE(VexirTest::TakeScreenshot(0, 0, 0, 0, shot, screen)) << "ImageMagick's import";
        red = grey = elsewhereRed = 0;
        for (int row = 0; row < screen.height; ++row)
            for (int column = 0; column < screen.width; ++column) {
                const unsigned char* p = screen.At(column, row);
                const bool inside = column >= x && column < x + 640 && row >= y && row < y + 300;
                const bool isRed = p[0] >= 150 && p[1] <= 60 && p[2] <= 60;
                if (isRed)
                    (inside ? red : elsewhereRed)++;
                if (inside && p[0] == 200 && p[1] == 200 && p[2] == 200)
                    ++grey;
            }
    }
    EXPECT_GT(red, 50) << "the error line's pixels, in " << shot;
    EXPECT_EQ(elsewhereRed, 0);
    EXPECT_GT(grey, 640 * 100) << "the view's background";
}

// The file dialogs, answered through the dialog on the screen. Each runs on
// a thread of its own; should an answer go wrong, the dialog is cancelled so
// that the test fails rather than waits.
TEST_F(Console_WindowsTest, FileDialogsShowTheirTitleAndAnswerOrCancel)
{
    VexirTest::ScratchDirectory scratch;
    scratch.Write("scene.txt", "x");
    Open();
    IMgrFiles* files = GetMgrFiles();
    const char filter[] = "Text (*.txt)\0*.txt\0All\0*.*\0";
    auto answer = [&](bool save, char* name, const char* extension, const char* directory, const char* reply,
                      std::string& title) {
        auto chosen = std::make_shared<std::promise<bool>>();
        auto result = chosen->get_future();
        std::thread([=] {
            chosen->set_value(save ? files->SaveFileDialog(nullptr, name, filter, extension, directory)
                                   : files->OpenFileDialog(nullptr, name, filter, extension, directory));
        }).detach();
        title = DialogTitle();
        if (!access->AnswerDialog(reply))
            access->AnswerDialog(nullptr);
        return result.wait_for(std::chrono::seconds(30)) == std::future_status::ready && result.get();
    };

    std::string title;
    static char name[260] = "";
    EXPECT_TRUE(answer(false, name, "txt", scratch.Path().c_str(), scratch.Path("scene.txt").c_str(), title));
    EXPECT_EQ(title, "Select File To Load");
    EXPECT_EQ(std::string(name), scratch.Path("scene.txt"));

    static char saveName[260] = "";
    EXPECT_TRUE(answer(true, saveName, "txt", nullptr, scratch.Path("render").c_str(), title));
    EXPECT_EQ(title, "Select File To Save");
    EXPECT_EQ(std::string(saveName), scratch.Path("render.txt")) << "the default extension added";

    static char kept[260] = "kept.txt";
    EXPECT_FALSE(answer(false, kept, nullptr, nullptr, nullptr, title));
    EXPECT_FALSE(title.empty());
    EXPECT_STREQ(kept, "kept.txt");
}

// A host that returns from main with the window open and a thread still
// logging into it.
TEST_F(Console_WindowsTest, TheProcessExitsCleanlyWithTheWindowOpen)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"window-open-at-exit"});
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, "shown\n");
}

// The X server goes away under an open window (a remote session closed, the
// server restarted): Xlib would end the host; the host must go on.
TEST_F(Console_WindowsTest, TheHostOutlivesItsDisplay)
{
    int number = 150;
    while (number < 250 && ::access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0)
        ++number;
    const std::string name = ":" + std::to_string(number);
    const char* arguments[] = {"Xvfb", name.c_str(), "-nolisten", "tcp", nullptr};
    pid_t server = 0;
    ASSERT_EQ(posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(arguments), environ), 0);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 200 && ::access(socket.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    const std::string ourDisplay = std::getenv("DISPLAY");
    setenv("DISPLAY", name.c_str(), 1);
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"window-outlives-display", std::to_string(server)});
    setenv("DISPLAY", ourDisplay.c_str(), 1);
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, "shown\n[W] Window console: the connection to the display was lost\nnot shown again\n");
}

// Run as entries of their own: without the UI module, and without a display.
TEST(WithoutWindows, ShowSaysWhyOnceAndEverythingElseWorks)
{
    IMgrConsole* manager = GetMgrConsole();
    manager->RemoveAllConsoles(true);
    auto* recorder = new VexirTest::TestConsole;
    manager->AddConsole(recorder);
    manager->SetUIConsoleByType(IMgrConsole::Windows);
    manager->SetUIConsoleAutoShow(true, true, nullptr, 0);
    EXPECT_FALSE(manager->ShowUIConsole(nullptr, 0));
    manager->PrintWarning("a warning shows the console, or tries to\n");
    manager->PrintError("an error too\n");
    const bool noModule = std::getenv("VEXIR_UI_MODULE") != nullptr;
    ASSERT_EQ(recorder->messages.size(), 3u);
    const std::string& why = recorder->messages[0].text;
    EXPECT_EQ(recorder->messages[0].level, IConsole::Warning);
    if (noModule)
        EXPECT_EQ(why.rfind("Window console: the UI module /nonexistent/libVexirCoreUi.so could not be loaded (", 0),
                  0u)
            << why;
    else
        EXPECT_EQ(why, "Window console: no display (DISPLAY is not set)\n");
    EXPECT_EQ(recorder->messages[1].text, "a warning shows the console, or tries to\n");
    EXPECT_EQ(recorder->messages[2].text, "an error too\n");
    char name[260] = "kept.txt";
    EXPECT_FALSE(GetMgrFiles()->OpenFileDialog(nullptr, name, "All\0*.*\0", nullptr, nullptr));
    EXPECT_STREQ(name, "kept.txt");
    manager->SetUIConsoleAutoShow(false, false, nullptr, 0);
    manager->RemoveAllConsoles(true);
}

}  // namespace
