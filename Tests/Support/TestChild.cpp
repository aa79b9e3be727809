// The helper program that tests run as a separate process: for what only
// another process can show (a trap, a pure virtual call, a named object held by
// someone else, a prompt fed through real standard input).
#include <Vexir/Assert.h>
#include <Vexir/Console.h>
#include <Vexir/Files.h>
#include <Vexir/Sync.h>
#include <Vexir/SystemInfo.h>
#include <Vexir/Utf8Util.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "HelperPlatform.h"
#include "KillThisProcess.h"

// Outside the anonymous namespace and called through a volatile pointer, so the
// compiler cannot prove which override runs and must use the virtual table of the
// object under construction, whose slot is still the pure one.
struct Abstract {
    Abstract()
    {
        Abstract* volatile self = this;
        self->Pure();
    }
    virtual ~Abstract() = default;
    virtual void Pure() = 0;
};

struct Concrete : Abstract {
    void Pure() override {}
};

namespace {

class AnsweringHandler : public Vexir::IAssertHandler {
public:
    explicit AnsweringHandler(int answer) : _iAnswer(answer) {}
    int HandleAssert(const char*, int, const char*, const char* message) override
    {
        std::cout << "reported: " << (message ? message : "") << std::endl;
        return _iAnswer;
    }

private:
    int _iAnswer;
};

std::wstring Wide(const char* text) { return utf8util::Utf8ToUtf16(text); }

// The console manager, with its log-file console writing into `directory`.
Vexir::IMgrConsole* LogToFileIn(const char* directory)
{
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    auto* settings = static_cast<Vexir::IFileConsoleInterface*>(
        consoles->GetConsole(Vexir::IMgrConsole::File)->GetInterface(Vexir::InterfaceBase::File));
    settings->SetDirectory(directory);
    return consoles;
}

// A host global that makes the console manager before anything else of the
// library exists, and logs once more when the process ends.
class LogsInItsDestructor {
public:
    explicit LogsInItsDestructor(const char* directory) { LogToFileIn(directory); }
    ~LogsInItsDestructor() { Vexir::GetMgrConsole()->PrintInfo("from a static destructor"); }
};

void LogAtExit() { Vexir::GetMgrConsole()->PrintInfo("from an atexit handler"); }

// The window console as the UI console, shown; says whether it was.
Vexir::IMgrConsole* ShowWindowConsole()
{
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->SetUIConsoleByType(Vexir::IMgrConsole::Windows);
    std::cout << (consoles->ShowUIConsole(nullptr, 0) ? "shown" : "not shown") << std::endl;
    return consoles;
}

// Opens the named mutex, takes it, marks the shared file as held, and gives it
// all back, `rounds` times. A mark found already set means another process
// held the mutex at the same time; the exit code counts such overlaps.
int ExclusionRounds(const char* name, const char* markPath, int rounds)
{
    std::FILE* mark = std::fopen(markPath, "r+b");
    if (!mark)
        return 100;
    std::setvbuf(mark, nullptr, _IONBF, 0);
    const std::wstring wideName = Wide(name);
    int overlaps = 0;
    for (int round = 0; round < rounds; ++round) {
        Vexir::MutexWaitable mutex(wideName.c_str());
        if (!mutex.Acquire(10000))
            return 101;
        char held = 0;
        std::fseek(mark, 0, SEEK_SET);
        if (std::fread(&held, 1, 1, mark) == 1 && held == '1')
            ++overlaps;
        std::fseek(mark, 0, SEEK_SET);
        std::fputc('1', mark);
        std::this_thread::yield();
        std::fseek(mark, 0, SEEK_SET);
        std::fputc('0', mark);
        mutex.Release();
    }
    std::fclose(mark);
    std::cout << overlaps << " overlaps" << std::endl;
    return overlaps > 0 ? 1 : 0;
}

int Run(const std::string& command, const char* argument, int argc, char** argv)
{
    if (command == "assert") {
        static bool s_bIgnoreAlways = false;
        Vexir::RaiseAssert(s_bIgnoreAlways, "_pData != NULL", 42, "Source/Network/TextPacket", "text of the message");
        std::cout << "after the assertion" << std::endl;
        // The host's own input, which the assertion must have left alone.
        std::string line;
        if (std::string(argument) != "without-reading" && std::getline(std::cin, line))
            std::cout << "host read: " << line << std::endl;
        return 0;
    }
    if (command == "break") {
        AnsweringHandler handler(Vexir::Break);
        Vexir::SetActiveAssertHandler(&handler);
        CORE_ASSERT_MSG(false, "breaking");
        std::cout << "went on after the break" << std::endl;
        return 0;
    }
    if (command == "purecall") {
        AnsweringHandler handler(Vexir::Ignore);
        Vexir::SetActiveAssertHandler(&handler);
        Concrete object;
        std::cout << "survived the pure call" << std::endl;
        return 0;
    }
    if (command == "count-named-descriptors") {
        std::cout << CountNamedObjectDescriptors() << std::endl;
        return 0;
    }
    if (command == "hold-mutex") {
        Vexir::MutexWaitable mutex(Wide(argument).c_str());
        const bool acquired = mutex.Acquire(5000);
        std::cout << (acquired ? "holding" : "not acquired") << std::endl;
        std::_Exit(acquired ? 0 : 1);  // dies owning it
    }
    if (command == "try-mutex") {
        Vexir::MutexWaitable mutex(Wide(argument).c_str());
        if (!mutex.Acquire(0))
            return 1;
        mutex.Release();
        return 0;
    }
    if (command == "set-event") {
        Vexir::Event event(false, false, Wide(argument).c_str());
        event.Set();
        return 0;
    }
    if (command == "unformatted-messages") {
        // Arguments that would crash the formatter, in messages nobody shows.
        const char* const unreadable = reinterpret_cast<const char*>(16);
        Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
        consoles->PrintError("%s", unreadable);
        consoles->GetConsole(Vexir::IMgrConsole::Stdout);
        consoles->PrintDebug("%s", unreadable);
        consoles->SetVerbosity(Vexir::IConsole::Error);
        consoles->PrintWarning("%s", unreadable);
        consoles->PrintError("%s\n", "shown");
        std::cout << "survived" << std::endl;
        return 0;
    }
    if (command == "sample-while-exiting") {
        // A thread still sampling the memory-usage log as main returns.
        Vexir::MemoryUsageLogEnable();
        static std::atomic<bool> sampling{false};
        std::thread([] {
            for (int i = 0;; ++i) {
                Vexir::MemoryUsageLog("frame", i);
                sampling = true;
            }
        }).detach();
        while (!sampling)
            std::this_thread::yield();
        return 0;
    }
    if (command == "console-text") {
        // Logs text outside ASCII to a console whose code page is not UTF-8,
        // then writes what the console shows into the file `argument`.
        return ShowOnConsole(argument);
    }
    if (command == "wait-event") {
        // Waits on a named auto-reset event, as long as the test lets it.
        Vexir::Event event(false, false, Wide(argument).c_str());
        std::cout << "waiting" << std::endl;
        return event.Wait(20000) ? 0 : 1;
    }
    if (command == "set-and-wait-event") {
        Vexir::Event event(false, false, Wide(argument).c_str());
        event.Set();
        const bool taken = event.Wait(100);
        std::cout << (taken ? "taken" : "not taken") << std::endl;
        return 0;
    }
    if (command == "exclusion") {
        return ExclusionRounds(argument, argc > 3 ? argv[3] : "", argc > 4 ? std::atoi(argv[4]) : 1000);
    }
    if (command == "log-and-die") {
        Vexir::IMgrConsole* consoles = LogToFileIn(argument);
        consoles->PrintInfo("last words before the kill");
        VexirTest::KillThisProcess();
    }
    if (command == "log-until-exit") {
        static LogsInItsDestructor s_host(argument);
        Vexir::GetMgrConsole()->PrintInfo("first line");  // the file manager is made after the console manager
        std::atexit(LogAtExit);
        Vexir::GetMgrFiles()->CloseAll();
        Vexir::GetMgrConsole()->PrintInfo("after CloseAll");
        return 0;
    }
    if (command == "log-while-exiting") {
        // A thread that is still logging when the process ends.
        Vexir::IMgrConsole* consoles = LogToFileIn(argument);
        static std::atomic<bool> logging{false};
        std::thread([consoles] {
            for (int i = 0;; ++i) {
                consoles->PrintInfo("from the thread %d", i);
                logging = true;
            }
        }).detach();
        // As hosts write it: the manager asked for at every call, the table changed.
        std::thread([] {
            for (int i = 0;; ++i) {
                Vexir::GetMgrConsole()->GetConsole(Vexir::IMgrConsole::Null);
                Vexir::GetMgrConsole()->PrintInfo("from the other thread %d", i);
            }
        }).detach();
        // A loaded machine may not have started the thread yet; exit mid-stream, not before it.
        while (!logging)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return 0;
    }
    if (command == "window-open-at-exit") {
        // The window console open, and a thread still logging into it, as
        // main returns.
        Vexir::IMgrConsole* consoles = ShowWindowConsole();
        static std::atomic<bool> logging{false};
        std::thread([consoles] {
            for (int i = 0;; ++i) {
                consoles->PrintInfo("into the window %d\n", i);
                logging = true;
            }
        }).detach();
        while (!logging)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return 0;
    }
    if (command == "window-outlives-display") {
        // The window open, then the X server (process `argument`) killed:
        // the host must go on logging, and hear why there is no window.
        Vexir::IMgrConsole* consoles = ShowWindowConsole();
        VexirTest::KillProcess(std::atol(argument));
        for (int i = 0; i < 300; ++i) {
            consoles->PrintInfo("into the window %d\n", i);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        consoles->CloseUIConsole();
        consoles->GetConsole(Vexir::IMgrConsole::Stdout);
        const bool shownAgain = consoles->ShowUIConsole(nullptr, 0);
        std::cout << (shownAgain ? "shown again" : "not shown again") << std::endl;
        return 0;
    }
    std::cerr << "VexirTestChild: unknown command " << command << std::endl;
    return 100;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 100;
    return Run(argv[1], argc > 2 ? argv[2] : "", argc, argv);
}
