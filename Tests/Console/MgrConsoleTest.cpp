#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "ConsoleFixture.h"
#include "StreamCapture.h"
#include "TestAssertHandler.h"

namespace {

using namespace Vexir;
using VexirTest::ConsoleFixture;
using VexirTest::TestConsole;
using MgrConsoleTest = ConsoleFixture;

std::vector<IConsole*> TableOf(IMgrConsole* manager)
{
    std::vector<IConsole*> table;
    ConsoleVisitor visitor{&table, [](void* user, IConsole* console) {
                               static_cast<std::vector<IConsole*>*>(user)->push_back(console);
                               return true;
                           }};
    EXPECT_TRUE(manager->ForEachConsole(visitor));
    return table;
}

TEST_F(MgrConsoleTest, BuiltinConsolesAreMadeOnceAndRegistered)
{
    EXPECT_TRUE(TableOf(manager).empty());
    IConsole* stdoutConsole = manager->GetConsole(IMgrConsole::Stdout);
    ASSERT_NE(stdoutConsole, nullptr);
    EXPECT_EQ(manager->GetConsole(IMgrConsole::Stdout), stdoutConsole);
    EXPECT_EQ(manager->GetConsole(static_cast<IMgrConsole::ConsoleType>(7)), nullptr);
    EXPECT_EQ(manager->GetConsole(static_cast<IMgrConsole::ConsoleType>(-1)), nullptr);
    EXPECT_EQ(TableOf(manager), std::vector<IConsole*>{stdoutConsole});
}

TEST_F(MgrConsoleTest, DispatchesInTableOrderBuiltinSlotsFirst)
{
    TestConsole* first = AddTestConsole();
    TestConsole* second = AddTestConsole();
    IConsole* null = manager->GetConsole(IMgrConsole::Null);
    EXPECT_EQ(TableOf(manager), (std::vector<IConsole*>{null, first, second}));

    std::vector<std::string> order;
    struct OrderConsole : IConsole {
        OrderConsole(std::vector<std::string>* log, std::string name) : _pLog(log), _sName(std::move(name)) {}
        void Output(MessageKind, VerbosityLevel, const char*) override { _pLog->push_back(_sName); }
        std::vector<std::string>* _pLog;
        std::string _sName;
    };
    ASSERT_TRUE(manager->AddConsole(new OrderConsole(&order, "third")));
    ASSERT_TRUE(manager->AddConsole(new OrderConsole(&order, "fourth")));
    manager->PrintDebug("%d", 1);
    EXPECT_EQ(order, (std::vector<std::string>{"third", "fourth"}));
    // The manager does not filter: Debug reaches consoles at threshold Info.
    EXPECT_EQ(first->Texts(), std::vector<std::string>{"1"});
}

TEST_F(MgrConsoleTest, EveryPrintCarriesItsKindAndLevel)
{
    TestConsole* console = AddTestConsole();
    manager->Print(IConsole::BlockBegin, IConsole::Warning, "p%s", "1");
    manager->PrintDebug("d");
    manager->PrintVerbose(L"v");
    manager->PrintInfo("i");
    manager->PrintWarning(L"w");
    manager->PrintError("e");
    manager->BeginBlock(IConsole::Verbose, L"b%d", 2);
    manager->EndBlock(IConsole::Silent, "x%%");
    const std::vector<std::tuple<IConsole::MessageKind, IConsole::VerbosityLevel, std::string>> expected = {
        {IConsole::BlockBegin, IConsole::Warning, "p1"}, {IConsole::Normal, IConsole::Debug, "d"},
        {IConsole::Normal, IConsole::Verbose, "v"},      {IConsole::Normal, IConsole::Info, "i"},
        {IConsole::Normal, IConsole::Warning, "w"},      {IConsole::Normal, IConsole::Error, "e"},
        {IConsole::BlockBegin, IConsole::Verbose, "b2"}, {IConsole::BlockEnd, IConsole::Silent, "x%"},
    };
    ASSERT_EQ(console->messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(console->messages[i].kind, std::get<0>(expected[i])) << i;
        EXPECT_EQ(console->messages[i].level, std::get<1>(expected[i])) << i;
        EXPECT_EQ(console->messages[i].text, std::get<2>(expected[i])) << i;
    }
}

TEST_F(MgrConsoleTest, LongAndWideMessagesArriveWhole)
{
    TestConsole* console = AddTestConsole();
    const std::string longText(5000, 'x');
    manager->PrintInfo("[%s]", longText.c_str());
    manager->PrintInfo(L"%ls %d", L"\x00C4\x00DF\x4E2D", 5);
    const std::wstring longWide(3000, L'\x00E9');
    manager->PrintInfo(L"%ls", longWide.c_str());
    ASSERT_EQ(console->messages.size(), 3u);
    EXPECT_EQ(console->messages[0].text, "[" + longText + "]");
    EXPECT_EQ(console->messages[1].text, "\xC3\x84\xC3\x9F\xE4\xB8\xAD 5");
    std::string longUtf8;
    for (int i = 0; i < 3000; ++i)
        longUtf8 += "\xC3\xA9";
    EXPECT_EQ(console->messages[2].text, longUtf8) << "the wide text was cut";
}

TEST_F(MgrConsoleTest, AddingTheSameConsoleTwiceIsRefused)
{
    TestConsole* console = AddTestConsole();
    EXPECT_FALSE(manager->AddConsole(console));
    EXPECT_FALSE(manager->AddConsole(nullptr)) << "null matches an empty built-in slot";
    manager->PrintInfo("once");
    EXPECT_EQ(console->Texts(), std::vector<std::string>{"once"});
}

TEST_F(MgrConsoleTest, RemovingAnAddedConsoleKeepsTheOthersInOrder)
{
    bool deleted = false;
    TestConsole* first = AddTestConsole();
    TestConsole* middle = AddTestConsole(false, &deleted);
    TestConsole* last = AddTestConsole();
    manager->RemoveConsole(middle, false);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(TableOf(manager), (std::vector<IConsole*>{first, last}));
    manager->PrintInfo("after");
    EXPECT_TRUE(middle->messages.empty());
    delete middle;

    bool lastDeleted = false;
    TestConsole* doomed = AddTestConsole(false, &lastDeleted);
    manager->RemoveConsole(doomed, true);
    EXPECT_TRUE(lastDeleted);
    manager->RemoveConsole(reinterpret_cast<IConsole*>(&deleted), true);  // not in the table: nothing
    EXPECT_EQ(TableOf(manager), (std::vector<IConsole*>{first, last}));
}

TEST_F(MgrConsoleTest, BuiltinConsolesAreAlwaysDeletedOnRemoval)
{
    IConsole* stdoutConsole = manager->GetConsole(IMgrConsole::Stdout);
    manager->SetUIConsole(stdoutConsole);
    manager->RemoveConsole(stdoutConsole, false);
    EXPECT_TRUE(TableOf(manager).empty());
    EXPECT_NE(manager->GetConsole(IMgrConsole::Stdout), nullptr);
    EXPECT_EQ(TableOf(manager).size(), 1u);

    manager->DestroyConsole(IMgrConsole::Stdout);
    manager->DestroyConsole(IMgrConsole::File);
    manager->DestroyConsole(static_cast<IMgrConsole::ConsoleType>(9));
    EXPECT_TRUE(TableOf(manager).empty());
}

TEST_F(MgrConsoleTest, RemoveAllConsolesDeletesOnlyWhenAsked)
{
    bool deleted = false;
    TestConsole* kept = AddTestConsole(false, &deleted);
    manager->RemoveAllConsoles(false);
    EXPECT_FALSE(deleted);
    EXPECT_TRUE(TableOf(manager).empty());
    ASSERT_TRUE(manager->AddConsole(kept));
    manager->RemoveAllConsoles(true);
    EXPECT_TRUE(deleted);
}

TEST_F(MgrConsoleTest, ForEachConsoleStopsAtTheFirstFalse)
{
    AddTestConsole();
    AddTestConsole();
    AddTestConsole();
    int visits = 0;
    ConsoleVisitor visitor{&visits, [](void* user, IConsole*) { return ++*static_cast<int*>(user) < 2; }};
    EXPECT_FALSE(manager->ForEachConsole(visitor));
    EXPECT_EQ(visits, 2);
}

TEST_F(MgrConsoleTest, WindowOperationsNeedAUIInterface)
{
    EXPECT_FALSE(manager->ShowUIConsole(nullptr, 0));
    EXPECT_TRUE(manager->SetUIConsoleByType(IMgrConsole::Stdout));
    EXPECT_FALSE(manager->ShowUIConsole(nullptr, 0)) << "the standard-output console has no UI interface";
    EXPECT_FALSE(manager->SetUIConsoleByType(static_cast<IMgrConsole::ConsoleType>(8)));

    TestConsole* window = AddTestConsole(true);
    EXPECT_TRUE(manager->SetUIConsole(window));
    EXPECT_TRUE(manager->ShowUIConsole(nullptr, 2));
    EXPECT_TRUE(manager->SetUIConsolePlacement(3));
    EXPECT_TRUE(manager->SetUIConsoleTitle("T\xC3\xAEtle"));
    window->ui.answer = false;
    EXPECT_FALSE(manager->CloseUIConsole());
    EXPECT_EQ(window->ui.calls,
              (std::vector<std::string>{"Show 2", "SetPlacement 3", "SetTitle T\xC3\xAEtle", "Close"}));

    manager->RemoveConsole(window, true);
    EXPECT_FALSE(manager->CloseUIConsole()) << "removing the UI console unsets it";
}

TEST_F(MgrConsoleTest, AutoShowOpensTheUIConsoleForItsLevels)
{
    TestConsole* window = AddTestConsole(true);
    manager->SetUIConsole(window);
    manager->SetUIConsoleAutoShow(false, true, nullptr, 4);
    manager->PrintWarning("w");
    EXPECT_TRUE(window->ui.calls.empty());
    manager->PrintError("e");
    EXPECT_EQ(window->ui.calls, std::vector<std::string>{"Show 4"});
    manager->SetUIConsoleAutoShow(true, false, nullptr, 1);
    manager->PrintWarning(L"w");
    manager->PrintError("e");
    EXPECT_EQ(window->ui.calls, (std::vector<std::string>{"Show 4", "Show 1"}));
}

TEST_F(MgrConsoleTest, SettingsAreStoredAsGiven)
{
    manager->SetVerbosity(static_cast<IConsole::VerbosityLevel>(9));
    EXPECT_EQ(manager->GetVerbosity(), 9);
    manager->SetAssertOnError(true);
    EXPECT_TRUE(manager->GetAssertOnError());
}

TEST_F(MgrConsoleTest, ErrorsRaiseAnAssertionPerPathUntilIgnoredAlways)
{
    VexirTest::TestAssertHandler handler;
    manager->PrintError("no assertion while off");
    EXPECT_TRUE(handler.reports.empty());

    manager->SetAssertOnError(true);
    manager->PrintError("disk %s", "full");
    ASSERT_EQ(handler.reports.size(), 1u) << "assert-on-error works with no console at all";
    EXPECT_EQ(handler.reports[0].expression, "false");
    EXPECT_EQ(handler.reports[0].file, "Source/Console/MgrConsole");
    EXPECT_EQ(handler.reports[0].message, "Console received an `Error` message: disk full");

    manager->BeginBlock(IConsole::Error, "block");
    manager->PrintWarning("not an error");
    ASSERT_EQ(handler.reports.size(), 2u);
    EXPECT_EQ(handler.reports[1].message, "Console received an `Error` message: block");

    handler.answers = {IgnoreAlways};
    manager->PrintError("silence the narrow path");
    manager->PrintError("silent");
    EXPECT_EQ(handler.reports.size(), 3u);
    manager->PrintError(L"the wide path has its own flag");
    ASSERT_EQ(handler.reports.size(), 4u);
    EXPECT_EQ(handler.reports[3].message, "Console received an `Error` message: the wide path has its own flag");
}

TEST_F(MgrConsoleTest, AConsoleMayPrintFromInsideOutput)
{
    struct EchoConsole : IConsole {
        void Output(MessageKind, VerbosityLevel level, const char* text) override
        {
            if (level == Error)
                GetMgrConsole()->PrintInfo("echo of %s", text);
        }
    };
    TestConsole* recorder = AddTestConsole();
    ASSERT_TRUE(manager->AddConsole(new EchoConsole));
    manager->PrintError("x");
    EXPECT_EQ(recorder->Texts(), (std::vector<std::string>{"x", "echo of x"}));
}

// Consoles that leave inside Output: one removes and deletes itself, one
// removes and deletes a console after it. The others still get the message,
// and the deleted one is never called.
TEST_F(MgrConsoleTest, AConsoleLeavingDuringDispatchCostsTheOthersNothing)
{
    struct Leaving : IConsole {
        void Output(MessageKind, VerbosityLevel, const char*) override { GetMgrConsole()->RemoveConsole(this, true); }
    };
    struct Removing : IConsole {
        IConsole* victim = nullptr;
        void Output(MessageKind, VerbosityLevel, const char*) override
        {
            GetMgrConsole()->RemoveConsole(victim, true);
            victim = nullptr;
        }
    };
    ASSERT_TRUE(manager->AddConsole(new Leaving));
    TestConsole* after = AddTestConsole();
    auto* removing = new Removing;
    ASSERT_TRUE(manager->AddConsole(removing));
    bool victimDeleted = false;
    removing->victim = AddTestConsole(false, &victimDeleted);
    TestConsole* last = AddTestConsole();
    manager->PrintInfo("one");
    EXPECT_EQ(after->Texts(), std::vector<std::string>{"one"}) << "the console after one that left missed it";
    EXPECT_EQ(last->Texts(), std::vector<std::string>{"one"});
    EXPECT_TRUE(victimDeleted);
}

// A message no console could show is not even formatted: an argument that
// would crash the formatting costs nothing then. The helper program runs it,
// so that a crash fails the test without taking the others with it.
TEST_F(MgrConsoleTest, MessagesNoConsoleCouldShowAreNotFormatted)
{
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"unformatted-messages"}, "", 30000);
    EXPECT_TRUE(child.exited && child.exitCode == 0) << child.output;
    EXPECT_EQ(child.output, "[E] shown\nsurvived\n");
}

// Writes each message a character at a time, yielding in between: if two
// prints ever overlapped, their characters would interleave.
class SlowConsole : public IConsole {
public:
    void Output(MessageKind, VerbosityLevel, const char* text) override
    {
        for (const char* c = text; *c; ++c) {
            written.push_back(*c);
            std::this_thread::yield();
        }
        written.push_back('\n');
    }
    std::string written;
};

TEST_F(MgrConsoleTest, ThreadsPrintingAtOnceNeverInterleave)
{
    auto* console = new SlowConsole;
    ASSERT_TRUE(manager->AddConsole(console));
    const int threads = 4, messages = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([this, t] {
            for (int i = 0; i < messages; ++i)
                manager->PrintInfo("thread %d message %03d", t, i);
        });
    for (std::thread& worker : workers)
        worker.join();

    std::vector<int> next(threads, 0);
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t end; (end = console->written.find('\n', start)) != std::string::npos; start = end + 1) {
        int t = -1, i = -1;
        const std::string line = console->written.substr(start, end - start);
        ASSERT_EQ(std::sscanf(line.c_str(), "thread %d message %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < threads) << line;
        EXPECT_EQ(line.size(), std::string("thread 0 message 000").size()) << line;
        EXPECT_EQ(i, next[t]++) << "messages of one thread arrived out of order";
        ++lines;
    }
    EXPECT_EQ(lines, threads * messages);
}

// Turning the error report on and off while other threads log is safe.
TEST_F(MgrConsoleTest, ThreadsMayChangeTheSettingsWhileOthersLog)
{
    IAssertHandler* previous = GetActiveAssertHandler();
    SetActiveAssertHandler(BuiltinAssert_Null, nullptr);
    manager->GetConsole(IMgrConsole::Null);
    std::atomic<bool> running{true};
    std::thread changer([&] {
        for (int i = 0; running; ++i) {
            manager->SetAssertOnError(i % 2 == 0);
            manager->SetVerbosity(i % 3 == 0 ? IConsole::Debug : IConsole::Info);
        }
    });
    std::vector<std::thread> loggers;
    for (int t = 0; t < 2; ++t)
        loggers.emplace_back([this] {
            for (int i = 0; i < 2000; ++i) {
                manager->PrintError("error %d", i);
                manager->PrintDebug("debug %d", i);
            }
        });
    for (std::thread& logger : loggers)
        logger.join();
    running = false;
    changer.join();
    SetActiveAssertHandler(previous);
    EXPECT_FALSE(manager->GetAssertOnError() && manager->GetVerbosity() == IConsole::Silent);
}

// A console whose destructor waits (the remote console gives its queue up to
// two seconds to drain) holds up no other thread's logging.
TEST_F(MgrConsoleTest, ThreadsLogOnWhileAConsoleTakesItsTimeToGo)
{
    struct SlowToGo : IConsole {
        std::atomic<bool>* going;
        std::atomic<bool>* mayGo;
        ~SlowToGo() override
        {
            *going = true;
            while (!*mayGo)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        void Output(MessageKind, VerbosityLevel, const char*) override {}
    };
    std::atomic<bool> going{false}, mayGo{false};
    auto* slow = new SlowToGo;
    slow->going = &going;
    slow->mayGo = &mayGo;
    ASSERT_TRUE(manager->AddConsole(slow));
    TestConsole* other = AddTestConsole();
    std::thread remover([&] { manager->RemoveConsole(slow, true); });
    while (!going)
        std::this_thread::yield();
    std::atomic<bool> printed{false};
    std::thread logger([&] {
        manager->PrintInfo("while the other goes");
        printed = true;
    });
    for (int i = 0; i < 500 && !printed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const bool inTime = printed;
    mayGo = true;
    remover.join();
    logger.join();
    EXPECT_TRUE(inTime) << "logging waited for a console's destructor";
    EXPECT_EQ(other->Texts(), std::vector<std::string>{"while the other goes"});
}

// Two threads logging errors with the error report on, answered Always: the
// path's flag is shared by both, so the reports stop after at most one each.
TEST_F(MgrConsoleTest, ThreadsReportingErrorsAtOnceShareTheAlwaysAnswer)
{
    struct Always : IAssertHandler {
        std::atomic<int> reports{0};
        int HandleAssert(const char*, int, const char*, const char*) override
        {
            ++reports;
            return IgnoreAlways;
        }
    } handler;
    IAssertHandler* previous = GetActiveAssertHandler();
    SetActiveAssertHandler(&handler);
    manager->SetAssertOnError(true);
    std::vector<std::thread> loggers;
    for (int t = 0; t < 2; ++t)
        loggers.emplace_back([this] {
            for (int i = 0; i < 500; ++i)
                manager->PrintError(L"wide error %d", i);
        });
    for (std::thread& logger : loggers)
        logger.join();
    SetActiveAssertHandler(previous);
    EXPECT_GE(handler.reports, 1);
    EXPECT_LE(handler.reports, 2);
}

}  // namespace

