// The console manager behind GetMgrConsole.
#pragma once

#include <Vexir/Console.h>
#include <Vexir/Sync.h>

#include <atomic>
#include <cstdarg>
#include <vector>

namespace Vexir {

class MgrConsole : public IMgrConsole {
public:
    MgrConsole();
    ~MgrConsole() override;

    // The library is going away: every console is deleted, under the lock, and
    // every later call does nothing. The manager itself stays, so that a thread
    // still logging at exit finds a valid lock.
    void Shutdown();
    bool IsOpen() const { return !_bClosed.load(std::memory_order_acquire); }

    bool AddConsole(IConsole* console) override;
    IConsole* GetConsole(ConsoleType type) override;
    void RemoveConsole(IConsole* console, bool destroy) override;
    void DestroyConsole(ConsoleType type) override;
    void RemoveAllConsoles(bool destroy) override;
    bool ForEachConsole(const ConsoleVisitor& visitor) override;

    bool SetUIConsole(IConsole* console) override;
    bool SetUIConsoleByType(ConsoleType type) override;
    bool ShowUIConsole(NativeWindowHandle parent, unsigned placement) override;
    bool SetUIConsolePlacement(unsigned placement) override;
    bool SetUIConsoleTitle(const std::string& title) override;
    bool CloseUIConsole() override;
    void SetUIConsoleAutoShow(bool onWarning, bool onError, NativeWindowHandle parent, unsigned placement) override;

    void SetVerbosity(IConsole::VerbosityLevel level) override;
    IConsole::VerbosityLevel GetVerbosity() override;
    void SetAssertOnError(bool on) override;
    bool GetAssertOnError() override;

    void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format, ...) override;
    void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format, ...) override;
    void PrintDebug(const wchar_t* format, ...) override;
    void PrintDebug(const char* format, ...) override;
    void PrintVerbose(const wchar_t* format, ...) override;
    void PrintVerbose(const char* format, ...) override;
    void PrintInfo(const wchar_t* format, ...) override;
    void PrintInfo(const char* format, ...) override;
    void PrintWarning(const wchar_t* format, ...) override;
    void PrintWarning(const char* format, ...) override;
    void PrintError(const wchar_t* format, ...) override;
    void PrintError(const char* format, ...) override;
    void BeginBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) override;
    void BeginBlock(IConsole::VerbosityLevel level, const char* format, ...) override;
    void EndBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) override;
    void EndBlock(IConsole::VerbosityLevel level, const char* format, ...) override;

private:
    friend Mutex* MessageLockOf(IMgrConsole* manager);
    static const std::size_t kBuiltinSlots = 5;

    template <typename Formatting>
    void PrintFormatted(IConsole::MessageKind kind, IConsole::VerbosityLevel level, std::atomic<bool>& ignoreAlways,
                        Formatting format);
    void PrintNarrow(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format, va_list args);
    void PrintWide(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format, va_list args);
    // Whether any console, the error report or the auto-show could want a
    // message of this level; read without the lock.
    bool Wanted(IConsole::VerbosityLevel level) const;
    // The table changed: what a message must pass to be wanted, anew.
    void TableChanged();
    void AutoShow(IConsole::VerbosityLevel level);
    void Dispatch(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* text);
    bool InTable(const IConsole* console) const;
    // Take consoles out of the table (under the lock), to be deleted after it.
    void TakeBuiltinConsole(ConsoleType type, std::vector<IConsole*>& leaving);
    void TakeAllConsoles(bool destroy, std::vector<IConsole*>& leaving);
    static void DeleteConsoles(std::vector<IConsole*>& consoles);
    void AssertOnError(IConsole::VerbosityLevel level, const char* text, std::atomic<bool>& ignoreAlways);
    IUIConsoleInterface* UIInterface();

    // Who could want a message: any console at all, and one that takes every
    // level (the hosts' own consoles and the remote console) whatever the threshold.
    enum Audience : unsigned { kAnyConsole = 1, kEveryLevel = 2 };

    std::vector<IConsole*> _lConsoles;
    // Counts the table's changes, so a dispatch sees when a console's Output
    // changed the table under it.
    unsigned long long _uTableVersion;
    IConsole* _pUIConsole;
    // The settings below are set by any thread while others log, and read
    // without the lock by the check that skips unwanted messages.
    std::atomic<bool> _bAutoShowOnWarning;
    std::atomic<bool> _bAutoShowOnError;
    NativeWindowHandle _hAutoShowParent;
    unsigned _uAutoShowPlacement;
    std::atomic<IConsole::VerbosityLevel> _eVerbosity;
    std::atomic<bool> _bAssertOnError;
    std::atomic<unsigned> _uAudience;
    std::atomic<bool> _bClosed{false};
    Mutex _mLock;
};

// The lock under which the manager hands each message to its consoles. A
// console that changes, from outside Output, what its Output uses (the remote
// console replacing its connection while other threads log) holds it for the
// change, and never across a wait. Null for a manager that is not a
// MgrConsole.
Mutex* MessageLockOf(IMgrConsole* manager);

}  // namespace Vexir
