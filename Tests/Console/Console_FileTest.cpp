#include <Vexir/Console.h>
#include <Vexir/Files.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "FileSizeLimit.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

class Console_FileTest : public VexirTest::ConsoleFixture {
protected:
    IFileConsoleInterface* FileConsole(int format = IFileConsoleInterface::Text)
    {
        IConsole* console = manager->GetConsole(IMgrConsole::File);
        EXPECT_NE(console, nullptr);
        auto* settings = static_cast<IFileConsoleInterface*>(console->GetInterface(InterfaceBase::File));
        EXPECT_NE(settings, nullptr);
        EXPECT_EQ(console->GetInterface(InterfaceBase::UI), nullptr);
        settings->SetDirectory(scratch.Path());
        settings->SetFormat(format);
        return settings;
    }

    // The log with every "[hh:mm:ss]" stamp replaced by "[T]", after checking
    // that each stamp is a time of day.
    std::string Log(const std::string& name = "VexirLog.txt")
    {
        const std::string text = scratch.ReadText(name);
        const std::regex stamp("\\[([0-2][0-9]):([0-5][0-9]):([0-5][0-9])\\]");
        return std::regex_replace(text, stamp, "[T]");
    }

    VexirTest::ScratchDirectory scratch;
};

TEST_F(Console_FileTest, OpensAtTheFirstShownMessageAndWritesStampedLines)
{
    FileConsole();
    manager->PrintDebug("below the threshold\n");
    EXPECT_FALSE(GetMgrFiles()->FileExists(scratch.Path("VexirLog.txt"))) << "no file before a shown message";
    manager->PrintInfo("hello");
    manager->PrintWarning("ends in a line feed\n");
    manager->PrintError("inner\nline feed");
    manager->Print(IConsole::Normal, IConsole::Silent, "silent");
    const std::regex header("\\[T\\]  \\[H\\] Session started: [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4}\n");
    const std::string log = Log();
    const std::size_t headerEnd = log.find('\n') + 1;
    EXPECT_TRUE(std::regex_match(log.substr(0, headerEnd), header)) << log;
    EXPECT_EQ(log.substr(headerEnd),
              "[T]  [I] hello\n"
              "[T]  [W] ends in a line feed\n"
              "[T]  [E] inner\nline feed\n"
              "[T]  [U]silent\n");
}

TEST_F(Console_FileTest, IndentsByBlockDepthWithoutALowerBound)
{
    FileConsole();
    manager->BeginBlock(IConsole::Info, "outer");
    manager->PrintInfo("in");
    manager->EndBlock(IConsole::Info, "done");
    manager->EndBlock(IConsole::Info, "below zero");
    manager->PrintInfo("flat");
    manager->BeginBlock(IConsole::Info, "back to zero");
    manager->BeginBlock(IConsole::Info, "one");
    manager->PrintInfo("indented");
    const std::string log = Log();
    EXPECT_EQ(log.substr(log.find('\n') + 1),
              "[T]  [I] outer\n"
              "[T]  [I] \tin\n"
              "[T]  [I] \tdone\n"
              "[T]  [I] below zero\n"
              "[T]  [I] flat\n"
              "[T]  [I] back to zero\n"
              "[T]  [I] one\n"
              "[T]  [I] \tindented\n");
}

TEST_F(Console_FileTest, WritesAnHtmlPageWithColouredLines)
{
    IFileConsoleInterface* settings = FileConsole(IFileConsoleInterface::Html);
    settings->SetFileName("log.html");
    settings->SetTitle("Render <1> & \"2\"");
    manager->PrintError("bad <b> & \"q\" 'a'");
    manager->BeginBlock(IConsole::Debug, "x");
    manager->SetVerbosity(IConsole::Debug);
    manager->BeginBlock(IConsole::Debug, "block");
    manager->PrintVerbose("v");
    manager->Print(IConsole::Normal, IConsole::Silent, "s");
    const std::string log = Log("log.html");
    const std::regex header("<html><head><meta charset=\"utf-8\"><title>Render &lt;1&gt; &amp; &quot;2&quot;</title>"
                            "</head><body><h2>\nSession started: "
                            "[A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} \\| [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\n</h2>\n");
    const std::size_t headerEnd = log.find("</h2>\n") + 6;
    EXPECT_TRUE(std::regex_match(log.substr(0, headerEnd), header)) << log;
    EXPECT_EQ(log.substr(headerEnd),
              "[T]  <font color=#FF0000>bad &lt;b&gt; &amp; \"q\" 'a'</font><br>\n"
              "[T]  <font color=#808080>block</font><br>\n"
              "[T]  <font color=#303030>&emsp;v</font><br>\n"
              "[T]  &emsp;s<br>\n");
}

// A log that cannot be opened is said once to the other consoles, told by
// the interface, tried again at most once a second, and the messages it
// dropped are counted in the file once it opens.
TEST_F(Console_FileTest, AMissingDirectoryIsSaidCountedAndRetriedOnceASecond)
{
    VexirTest::TestConsole* other = AddTestConsole();
    IFileConsoleInterface* settings = FileConsole();
    settings->SetDirectory(scratch.Path("not-yet"));
    manager->PrintInfo("dropped");
    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path("not-yet")));
    manager->PrintInfo("dropped too: tried again within the second");
    EXPECT_FALSE(settings->IsFileOpen());
    EXPECT_EQ(settings->GetLastOpenError(), ENOENT);
    int warnings = 0;
    for (const VexirTest::RecordedMessage& message : other->messages)
        if (message.level == IConsole::Warning && message.text.find("not-yet/VexirLog.txt") != std::string::npos)
            ++warnings;
    EXPECT_EQ(warnings, 1) << "the failure is said once";

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    manager->PrintInfo("kept");
    EXPECT_TRUE(settings->IsFileOpen());
    EXPECT_EQ(settings->GetLastOpenError(), 0);
    const std::string log = Log("not-yet/VexirLog.txt");
    EXPECT_EQ(log.find("dropped\n"), std::string::npos);
    EXPECT_NE(log.find("[T]  [W] Log file: 2 messages were dropped while the file could not be opened\n[T]  [I] kept\n"),
              std::string::npos)
        << log;
}

// The format is that of the file: set once it is open, it waits for the next one.
TEST_F(Console_FileTest, AFormatSetAfterOpeningDoesNotChangeTheOpenFile)
{
    IFileConsoleInterface* settings = FileConsole(IFileConsoleInterface::Text);
    manager->PrintInfo("first");
    settings->SetFormat(IFileConsoleInterface::Html);
    manager->PrintInfo("second <b>");
    EXPECT_NE(Log().find("[T]  [I] second <b>\n"), std::string::npos) << Log();
}

// A full disk loses the messages that did not fit and nothing after: once
// there is room, the line cut short is ended, a Warning counts the losses, and
// the next lines are whole.
TEST_F(Console_FileTest, AFullDiskLosesOnlyWhatDidNotFit)
{
    FileConsole();
    manager->PrintInfo("before\n");
    VexirTest::FileSizeLimit full;
    if (!full.Impose(std::filesystem::file_size(std::filesystem::u8path(scratch.Path("VexirLog.txt"))) + 20))
        GTEST_SKIP() << "this system cannot limit file sizes";
    manager->PrintInfo("cut short: %s\n", std::string(100, 'x').c_str());
    manager->PrintInfo("lost\n");
    manager->PrintWarning("lost too\n");
    full.Lift();
    manager->PrintInfo("after\n");
    manager->PrintInfo("and after\n");

    const std::string log = Log();
    EXPECT_EQ(log.substr(log.find('\n') + 1),
              "[T]  [I] before\n"
              "[T]  [I] cut \n"
              "[T]  [W] Log file: 3 messages could not be written\n"
              "[T]  [I] after\n"
              "[T]  [I] and after\n");
}

// The disk fills again while the notice itself is being written, at every
// byte of it: no line is ever glued to another, and the last notice counts
// every message lost since the last line that went out whole.
TEST_F(Console_FileTest, AFullDiskAtAnyByteOfTheRecoveryGluesNothing)
{
    VexirTest::FileSizeLimit full;
    for (int room = 0; room < 150; ++room) {
        manager->DestroyConsole(IMgrConsole::File);
        const std::string name = "full-" + std::to_string(room) + ".txt";
        FileConsole()->SetFileName(name);
        manager->PrintInfo("before");
        const std::uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(scratch.Path(name)));
        if (!full.Impose(size + 10))
            GTEST_SKIP() << "this system cannot limit file sizes";
        manager->PrintInfo("cut %s", std::string(40, 'x').c_str());
        manager->PrintInfo("lost");
        full.Impose(size + 10 + room);  // a little room: the recovery is cut there
        manager->PrintInfo("recovering %s", std::string(40, 'r').c_str());
        full.Lift();
        manager->PrintInfo("after");

        const std::string log = Log(name);
        std::istringstream lines(log);
        std::string line, notice;
        while (std::getline(lines, line)) {
            EXPECT_EQ(line.find("[T]", 1), std::string::npos) << "room " << room << ": glued line: " << line;
            if (line.find("Log file: ") != std::string::npos)
                notice = line;
        }
        EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), "[T]  [I] after\n") << "room " << room;
        const bool firstNoticeWhole = log.find("Log file: 2 messages could not be written\n") != std::string::npos;
        const bool recoveryWhole = log.find(std::string(40, 'r') + "\n") != std::string::npos;
        if (recoveryWhole)
            EXPECT_TRUE(firstNoticeWhole && notice.find("Log file: 2 messages") != std::string::npos) << room;
        else if (firstNoticeWhole)
            EXPECT_EQ(notice, "[T]  [W] Log file: 1 message could not be written") << "room " << room;
        else
            EXPECT_EQ(notice, "[T]  [W] Log file: 3 messages could not be written") << "room " << room;
    }
}

TEST_F(Console_FileTest, DestroyingTheConsoleClosesItsFile)
{
    FileConsole();
    manager->PrintInfo("one");
    manager->DestroyConsole(IMgrConsole::File);
    IFileObj* reopened = GetMgrFiles()->Open(scratch.Path("VexirLog.txt"), IMgrFiles::ReadBinary);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetOpenState(), 1u);
    char first = 0;
    EXPECT_EQ(reopened->Read(&first, 1), 1u) << "a fresh object reads from the start";
    GetMgrFiles()->Close(reopened);
}

TEST_F(Console_FileTest, AKilledProcessLeavesItsLastMessageComplete)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"log-and-die", scratch.Path()});
    ASSERT_TRUE(child.started);
    EXPECT_FALSE(child.exited && child.exitCode == 0) << "the child was to be killed";
    const std::string log = Log();
    EXPECT_NE(log.find("[T]  [I] last words before the kill\n"), std::string::npos) << log;
}

TEST_F(Console_FileTest, KeepsWritingAfterTheFileManagerClosedEverything)
{
    FileConsole();
    manager->PrintInfo("before");
    ASSERT_TRUE(GetMgrFiles()->CloseAll());
    manager->PrintInfo("after");
    manager->DestroyConsole(IMgrConsole::File);
    const std::string log = Log();
    EXPECT_NE(log.find("[T]  [I] before\n[T]  [I] after\n"), std::string::npos) << log;
}

TEST_F(Console_FileTest, LogsFromExitHandlersAndStaticDestructorsReachTheFile)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"log-until-exit", scratch.Path()});
    ASSERT_TRUE(child.started);
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0) << child.output;
    const std::string log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5) << log;
    EXPECT_NE(log.find("[T]  [I] first line\n"
                       "[T]  [I] after CloseAll\n"
                       "[T]  [I] from an atexit handler\n"
                       "[T]  [I] from a static destructor\n"),
              std::string::npos)
        << log;
}

// The library tears its consoles down at exit under the manager's lock, and a
// thread that goes on logging finds a manager that does nothing.
TEST_F(Console_FileTest, AThreadStillLoggingAtExitDoesNotBringTheProcessDown)
{
    for (int run = 0; run < 10; ++run) {
        const VexirTest::ChildResult child = VexirTest::RunTestChild({"log-while-exiting", scratch.Path()});
        ASSERT_TRUE(child.started);
        EXPECT_TRUE(child.exited && child.exitCode == 0) << "run " << run << ": " << child.output;
        EXPECT_NE(Log().find("[T]  [I] from the thread 0\n"), std::string::npos);
    }
}

// Hours, minutes, seconds: the stamp is the wall clock's time of the message.
TEST_F(Console_FileTest, StampsReadHoursMinutesSeconds)
{
    FileConsole();
    std::time_t before = 0, after = 0;
    // A stamp whose minutes and seconds are equal cannot tell their order apart.
    for (int attempt = 0; attempt < 3; ++attempt) {
        manager->DestroyConsole(IMgrConsole::File);
        FileConsole();
        before = std::time(nullptr);
        manager->PrintInfo("stamped");
        after = std::time(nullptr);
        if (std::localtime(&before)->tm_min != std::localtime(&before)->tm_sec)
            break;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const std::string log = scratch.ReadText("VexirLog.txt");
    const std::size_t line = log.find("]  [I] stamped");
    ASSERT_NE(line, std::string::npos) << log;
    const std::string stamp = log.substr(line - 8, 8);
    bool matched = false;
    for (std::time_t moment = before; moment <= after && !matched; ++moment) {
        char expected[16];
        std::strftime(expected, sizeof expected, "%H:%M:%S", std::localtime(&moment));
        matched = stamp == expected;
    }
    EXPECT_TRUE(matched) << "stamp " << stamp;
}

// The page that CheckHtmlLogInBrowser.py opens in a browser, written to the
// current directory: ordinary text, markup and script in messages and title.
TEST_F(Console_FileTest, WritesAPageForABrowser)
{
    IConsole* console = manager->GetConsole(IMgrConsole::File);
    auto* settings = static_cast<IFileConsoleInterface*>(console->GetInterface(InterfaceBase::File));
    const std::filesystem::path page = std::filesystem::u8path(VexirTest::OutputPath(scratch, "browser-log.html"));
    settings->SetDirectory(page.parent_path().generic_u8string());
    settings->SetFileName("browser-log.html");
    settings->SetFormat(IFileConsoleInterface::Html);
    settings->SetTitle("Browser <check> & \"quotes\"");
    manager->PrintInfo("ordinary line");
    manager->PrintInfo("<b>not bold</b>");
    manager->PrintWarning("a < b && c > d");
    manager->PrintError("<script>document.title='x'</script>");
    manager->PrintInfo("<img src=x onerror=\"document.body.setAttribute('data-ran','1')\">");
    manager->PrintError("gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\x96\xE7\x95\x8C");
    manager->DestroyConsole(IMgrConsole::File);
    EXPECT_TRUE(std::filesystem::exists(page));
}

}  // namespace
