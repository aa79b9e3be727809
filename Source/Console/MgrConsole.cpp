#include "Console/MgrConsole.h"

#include <Vexir/Assert.h>

#include <algorithm>
#include <string>

#include "Console/BuiltinConsoles.h"
#include "Console/MessageText.h"
#include "Console/WideFormat.h"
#include "Foundation/AutoMutexLock.h"
#include "Foundation/ForkSafety.h"
#include "Foundation/LibraryLifetime.h"

namespace Vexir {

namespace {

LibrarySingleton<MgrConsole> s_manager;

// One flag per print path for the error assertion.
// Read and set by every thread that logs an error.
std::atomic<bool> s_bIgnoreNarrowErrorAssert{false};
std::atomic<bool> s_bIgnoreWideErrorAssert{false};

bool IsBuiltinType(int type) { return type >= IMgrConsole::Null && type <= IMgrConsole::Remote; }

}  // namespace

// After the shutdown at unload the closed manager is still returned: a host
// thread still logging at exit calls it and nothing happens.
IMgrConsole* GetMgrConsole() { return s_manager.Get(); }

void DestroyConsoleManager()
{
    s_manager.Seal();
    if (MgrConsole* manager = s_manager.Existing())
        manager->Shutdown();
}

Mutex* MessageLockOf(IMgrConsole* manager)
{
    auto* own = dynamic_cast<MgrConsole*>(manager);
    return own ? &own->_mLock : nullptr;
}

MgrConsole::MgrConsole()
    : _lConsoles(kBuiltinSlots, nullptr),
      _uTableVersion(0),
      _pUIConsole(nullptr),
      _bAutoShowOnWarning(false),
      _bAutoShowOnError(false),
      _hAutoShowParent(nullptr),
      _uAutoShowPlacement(0),
      _eVerbosity(IConsole::Info),
      _bAssertOnError(false),
      _uAudience(0)
{
    // A child forked while another thread logs must be able to log.
    HoldAcrossFork(&_mLock, true);
}

MgrConsole::~MgrConsole() { RemoveAllConsoles(true); }

// Consoles are deleted after the lock is given back: a console's destructor
// may wait (the remote console gives its queue up to two seconds to drain), and
// the other threads' logging must not wait with it. Once out of the table no
// print reaches them, and a dispatch that is still running on this thread
// skips them.
void MgrConsole::DeleteConsoles(std::vector<IConsole*>& consoles)
{
    for (IConsole* console : consoles)
        delete console;
    consoles.clear();
}

void MgrConsole::Shutdown()
{
    // A console's destructor may add or make consoles; they go too.
    std::vector<IConsole*> leaving;
    for (int round = 0; round < 8; ++round) {
        {
            AutoMutexLock lock(&_mLock);
            TakeAllConsoles(true, leaving);
            if (leaving.empty()) {
                _bClosed.store(true, std::memory_order_release);
                std::vector<IConsole*>().swap(_lConsoles);
                TableChanged();
                ReleaseWideFormatting();
                return;
            }
        }
        DeleteConsoles(leaving);
    }
    AutoMutexLock lock(&_mLock);
    _bClosed.store(true, std::memory_order_release);
    std::vector<IConsole*>().swap(_lConsoles);
    TableChanged();
    ReleaseWideFormatting();
}

void MgrConsole::TableChanged()
{
    ++_uTableVersion;
    unsigned audience = 0;
    for (std::size_t i = 0; i < _lConsoles.size(); ++i) {
        if (!_lConsoles[i])
            continue;
        audience |= kAnyConsole;
        if (i >= kBuiltinSlots || i == static_cast<std::size_t>(Remote))
            audience |= kEveryLevel;
    }
    _uAudience.store(audience, std::memory_order_relaxed);
}

bool MgrConsole::InTable(const IConsole* console) const
{
    return std::find(_lConsoles.begin(), _lConsoles.end(), console) != _lConsoles.end();
}

// The hosts' consoles and the remote console take every message; the other
// built-in ones show only what passes the threshold. A message nobody could
// want is not even formatted.
bool MgrConsole::Wanted(IConsole::VerbosityLevel level) const
{
    const unsigned audience = _uAudience.load(std::memory_order_relaxed);
    if (audience & kEveryLevel)
        return true;
    if ((audience & kAnyConsole) && static_cast<int>(level) <= static_cast<int>(_eVerbosity.load(std::memory_order_relaxed)))
        return true;
    if (level == IConsole::Error)
        return _bAssertOnError.load(std::memory_order_relaxed) || _bAutoShowOnError.load(std::memory_order_relaxed);
    return level == IConsole::Warning && _bAutoShowOnWarning.load(std::memory_order_relaxed);
}

// The table is changed under the lock, so that the shutdown at unload, and
// printing threads, never see it half changed.
bool MgrConsole::AddConsole(IConsole* console)
{
    AutoMutexLock lock(&_mLock);
    if (!IsOpen())
        return false;
    if (InTable(console))
        return false;
    _lConsoles.push_back(console);
    TableChanged();
    return true;
}

IConsole* MgrConsole::GetConsole(ConsoleType type)
{
    AutoMutexLock lock(&_mLock);
    if (!IsOpen() || !IsBuiltinType(type))
        return nullptr;
    if (!_lConsoles[type]) {
        _lConsoles[type] = CreateBuiltinConsole(type, this);
        TableChanged();
    }
    return _lConsoles[type];
}

void MgrConsole::RemoveConsole(IConsole* console, bool destroy)
{
    std::vector<IConsole*> leaving;
    {
        AutoMutexLock lock(&_mLock);
        if (!IsOpen())
            return;
        if (console == _pUIConsole)
            _pUIConsole = nullptr;
        for (std::size_t slot = 0; slot < kBuiltinSlots; ++slot) {
            if (console && _lConsoles[slot] == console) {
                TakeBuiltinConsole(static_cast<ConsoleType>(slot), leaving);
                break;
            }
        }
        const auto added = std::find(_lConsoles.begin() + kBuiltinSlots, _lConsoles.end(), console);
        if (leaving.empty() && added != _lConsoles.end()) {
            _lConsoles.erase(added);
            TableChanged();
            if (destroy && console)
                leaving.push_back(console);
        }
    }
    DeleteConsoles(leaving);
}

void MgrConsole::TakeBuiltinConsole(ConsoleType type, std::vector<IConsole*>& leaving)
{
    IConsole* console = _lConsoles[type];
    _lConsoles[type] = nullptr;
    TableChanged();
    if (console == _pUIConsole)
        _pUIConsole = nullptr;
    leaving.push_back(console);
}

void MgrConsole::DestroyConsole(ConsoleType type)
{
    std::vector<IConsole*> leaving;
    {
        AutoMutexLock lock(&_mLock);
        if (!IsOpen() || !IsBuiltinType(type) || !_lConsoles[type])
            return;
        TakeBuiltinConsole(type, leaving);
    }
    DeleteConsoles(leaving);
}

// The built-in ones have no other owner: as RemoveConsole does, they go
// whatever `destroy` says (kept, they would hold their file and connection
// open for ever).
void MgrConsole::TakeAllConsoles(bool destroy, std::vector<IConsole*>& leaving)
{
    std::vector<IConsole*> consoles(kBuiltinSlots, nullptr);
    consoles.swap(_lConsoles);
    TableChanged();
    _pUIConsole = nullptr;
    for (std::size_t i = 0; i < consoles.size(); ++i)
        if (consoles[i] && (destroy || i < kBuiltinSlots))
            leaving.push_back(consoles[i]);
}

void MgrConsole::RemoveAllConsoles(bool destroy)
{
    std::vector<IConsole*> leaving;
    {
        AutoMutexLock lock(&_mLock);
        if (!IsOpen())
            return;
        TakeAllConsoles(destroy, leaving);
    }
    DeleteConsoles(leaving);
}

bool MgrConsole::ForEachConsole(const ConsoleVisitor& visitor)
{
    AutoMutexLock lock(&_mLock);
    for (std::size_t i = 0; i < _lConsoles.size(); ++i)
        if (_lConsoles[i] && !visitor.visit(visitor.userData, _lConsoles[i]))
            return false;
    return true;
}

// The UI console's calls hold the lock, as removing consoles does: a console
// removed on another thread is never used after it is gone.
bool MgrConsole::SetUIConsole(IConsole* console)
{
    AutoMutexLock lock(&_mLock);
    _pUIConsole = console;
    return true;
}

bool MgrConsole::SetUIConsoleByType(ConsoleType type)
{
    IConsole* console = GetConsole(type);
    return console && SetUIConsole(console);
}

IUIConsoleInterface* MgrConsole::UIInterface()
{
    if (!_pUIConsole)
        return nullptr;
    return static_cast<IUIConsoleInterface*>(_pUIConsole->GetInterface(InterfaceBase::UI));
}

bool MgrConsole::ShowUIConsole(NativeWindowHandle parent, unsigned placement)
{
    AutoMutexLock lock(&_mLock);
    IUIConsoleInterface* ui = UIInterface();
    return ui && ui->Show(parent, placement);
}

bool MgrConsole::SetUIConsolePlacement(unsigned placement)
{
    AutoMutexLock lock(&_mLock);
    IUIConsoleInterface* ui = UIInterface();
    return ui && ui->SetPlacement(placement);
}

bool MgrConsole::SetUIConsoleTitle(const std::string& title)
{
    AutoMutexLock lock(&_mLock);
    IUIConsoleInterface* ui = UIInterface();
    return ui && ui->SetTitle(title);
}

bool MgrConsole::CloseUIConsole()
{
    AutoMutexLock lock(&_mLock);
    IUIConsoleInterface* ui = UIInterface();
    return ui && ui->Close();
}

void MgrConsole::SetUIConsoleAutoShow(bool onWarning, bool onError, NativeWindowHandle parent, unsigned placement)
{
    AutoMutexLock lock(&_mLock);
    _bAutoShowOnWarning = onWarning;
    _bAutoShowOnError = onError;
    _hAutoShowParent = parent;
    _uAutoShowPlacement = placement;
}

void MgrConsole::SetVerbosity(IConsole::VerbosityLevel level) { _eVerbosity = level; }
IConsole::VerbosityLevel MgrConsole::GetVerbosity() { return _eVerbosity; }
void MgrConsole::SetAssertOnError(bool on) { _bAssertOnError = on; }
bool MgrConsole::GetAssertOnError() { return _bAssertOnError; }

// Both print paths: format and dispatch under the lock, then the error report
// outside it, so that a person answering the report holds up neither the
// other logging threads nor the library's shutdown at exit.
template <typename Formatting>
void MgrConsole::PrintFormatted(IConsole::MessageKind kind, IConsole::VerbosityLevel level, std::atomic<bool>& ignoreAlways,
                                Formatting format)
{
    MessageText text;
    {
        AutoMutexLock lock(&_mLock);
        if (!IsOpen())
            return;
        AutoShow(level);
        format(text);
        Dispatch(kind, level, text.Text());
    }
    AssertOnError(level, text.Text(), ignoreAlways);
}

void MgrConsole::PrintNarrow(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format,
                             va_list args)
{
    PrintFormatted(kind, level, s_bIgnoreNarrowErrorAssert, [&](MessageText& text) { text.Format(format, args); });
}

void MgrConsole::PrintWide(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format,
                           va_list args)
{
    PrintFormatted(kind, level, s_bIgnoreWideErrorAssert, [&](MessageText& text) { text.FormatWide(format, args); });
}

void MgrConsole::AutoShow(IConsole::VerbosityLevel level)
{
    if ((_bAutoShowOnWarning && level == IConsole::Warning) || (_bAutoShowOnError && level == IConsole::Error))
        ShowUIConsole(_hAutoShowParent, _uAutoShowPlacement);
}

// A console may add, remove or delete consoles from inside Output. The
// message goes to the consoles of the table as it stood when the message came,
// less those taken out meanwhile, so no console misses it because another
// left, and none is called after it was deleted.
void MgrConsole::Dispatch(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* text)
{
    const std::size_t kInline = 16;
    IConsole* inlineCopy[kInline];
    std::vector<IConsole*> heapCopy;
    IConsole** consoles = inlineCopy;
    const std::size_t count = _lConsoles.size();
    if (count > kInline) {
        heapCopy = _lConsoles;
        consoles = heapCopy.data();
    } else {
        std::copy(_lConsoles.begin(), _lConsoles.end(), inlineCopy);
    }
    const unsigned long long version = _uTableVersion;
    for (std::size_t i = 0; i < count; ++i) {
        IConsole* console = consoles[i];
        if (console && (_uTableVersion == version || InTable(console)))
            console->Output(kind, level, text);
    }
}

void MgrConsole::AssertOnError(IConsole::VerbosityLevel level, const char* text, std::atomic<bool>& ignoreAlways)
{
    if (!_bAssertOnError || level != IConsole::Error || ignoreAlways.load())
        return;
    const std::string message = std::string("Console received an `Error` message: ") + text;
    bool ignored = false;
    RaiseAssert(ignored, "false", __LINE__, __FILE__, message.c_str());
    if (ignored)
        ignoreAlways.store(true);
}

#define VEXIR_FORWARD_PRINT(path, kind, level)                                                                        \
    {                                                                                                                  \
        if (!Wanted(level))                                                                                            \
            return;                                                                                                    \
        va_list args;                                                                                                  \
        va_start(args, format);                                                                                        \
        path(kind, level, format, args);                                                                               \
        va_end(args);                                                                                                  \
    }

void MgrConsole::Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, kind, level)
void MgrConsole::Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, kind, level)
void MgrConsole::PrintDebug(const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::Normal, IConsole::Debug)
void MgrConsole::PrintDebug(const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::Normal, IConsole::Debug)
void MgrConsole::PrintVerbose(const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::Normal, IConsole::Verbose)
void MgrConsole::PrintVerbose(const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::Normal, IConsole::Verbose)
void MgrConsole::PrintInfo(const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::Normal, IConsole::Info)
void MgrConsole::PrintInfo(const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::Normal, IConsole::Info)
void MgrConsole::PrintWarning(const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::Normal, IConsole::Warning)
void MgrConsole::PrintWarning(const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::Normal, IConsole::Warning)
void MgrConsole::PrintError(const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::Normal, IConsole::Error)
void MgrConsole::PrintError(const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::Normal, IConsole::Error)
void MgrConsole::BeginBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::BlockBegin, level)
void MgrConsole::BeginBlock(IConsole::VerbosityLevel level, const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::BlockBegin, level)
void MgrConsole::EndBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...)
    VEXIR_FORWARD_PRINT(PrintWide, IConsole::BlockEnd, level)
void MgrConsole::EndBlock(IConsole::VerbosityLevel level, const char* format, ...)
    VEXIR_FORWARD_PRINT(PrintNarrow, IConsole::BlockEnd, level)

#undef VEXIR_FORWARD_PRINT

}  // namespace Vexir
