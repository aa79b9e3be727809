// Logging: one console manager formats printf-style messages once and hands the
// finished text to every console in its table, in table order, under one
// recursive lock. Each console decides for itself whether and how to show it.
//
//   IMgrConsole* consoles = GetMgrConsole();
//   consoles->GetConsole(IMgrConsole::Stdout);
//   consoles->PrintInfo("Loaded %d meshes in %.1f ms\n", count, ms);
//   {
//       AutoConsoleBlock block(consoles, IConsole::Info, "Scene", "Scene done");
//       consoles->PrintVerbose("%s\n", name);   // indented inside the block
//   }
#pragma once

#include <Vexir/Platform.h>

#include <string>

namespace Vexir {

class IMgrConsole;

// An extension interface of a console, found through IConsole::GetInterface.
class VEXIR_API InterfaceBase {
public:
    enum InterfaceType : int { UI = 0, File = 1, Remote = 2 };

    virtual ~InterfaceBase() = default;
    virtual int GetInterfaceType() = 0;
};

class VEXIR_API IConsole {
public:
    // A message of level L is shown when L <= the manager's threshold.
    enum VerbosityLevel : int { Silent = 0, Error = 1, Warning = 2, Info = 3, Verbose = 4, Debug = 5 };
    enum MessageKind : int { Normal = 0, BlockBegin = 1, BlockEnd = 2 };

    virtual ~IConsole() = default;
    // The console's extension interface of that InterfaceType, or null.
    virtual InterfaceBase* GetInterface(int type) { return nullptr; }
    // Receives one finished message; runs under the manager's lock.
    virtual void Output(MessageKind kind, VerbosityLevel level, const char* text) = 0;
};

// The window operations of a console that shows a window. Placement codes:
// 0 centred on the parent, 1 left of it, 2 right of it, 3 below it, 4 above it.
class VEXIR_API IUIConsoleInterface : public InterfaceBase {
public:
    virtual bool Show(NativeWindowHandle parent, unsigned placement) = 0;
    virtual bool SetPlacement(unsigned placement) = 0;
    virtual bool SetTitle(const std::string& title) = 0;
    virtual bool Close() = 0;
};

// The settings of the log-file console, from GetInterface(InterfaceBase::File).
// They take effect when the file opens, at the first message that is shown, so
// set them before that.
//
// Every line starts with the local time as "[hh:mm:ss]" (hours, minutes,
// seconds, in that order), and the header line carries the date as
// "Sun, 06 Dec 2026". An HTML log is a UTF-8 page in which the message text
// and the title are shown as written: "<", ">", "&" (and '"' in the title)
// are written as entities.
class VEXIR_API IFileConsoleInterface : public InterfaceBase {
public:
    // Any format other than Html writes text lines.
    enum LogFormat : int { Text = 0, Html = 1 };

    virtual void SetDirectory(const std::string& directory) = 0;
    // "VexirLog.txt" unless set.
    virtual void SetFileName(const std::string& fileName) = 0;
    virtual void SetFormat(int format) = 0;
    // The HTML page title, "Vexir Log" unless set.
    virtual void SetTitle(const std::string& title) = 0;
};

// The remote console, from GetInterface(InterfaceBase::Remote): it sends every
// message, whatever the threshold, to the RemoteConsole program on port 7500.
//
// Logging never waits for the program. What it has not taken yet waits in a
// queue of at most 4 MiB; a message that does not fit is dropped, and once
// there is room again a Warning saying how many were dropped is sent first. A
// program that goes away costs nothing but the lost messages. Disconnecting,
// connecting elsewhere and the console's destruction (also at unload) give
// the queue at most 2 seconds to drain. Connect itself waits for the
// connection to be made or refused.
class VEXIR_API IRemoteConsoleInterface : public InterfaceBase {
public:
    // Starts the RemoteConsole program and does not wait for it. On Linux it is
    // the RemoteConsole beside the library or the calling program, else on PATH.
    virtual bool LaunchRemoteConsole() = 0;
    virtual bool ConnectLocal() = 0;
    virtual bool ReservedQuery() = 0;
    // Connects to a dotted IPv4 address; a connection made earlier is closed.
    virtual bool Connect(const std::string& address) = 0;
    virtual void ReservedAction() = 0;
};

struct ConsoleVisitor {
    void* userData;
    // Returning false stops the visit.
    bool (*visit)(void* userData, IConsole* console);
};

class VEXIR_API IMgrConsole {
public:
    enum ConsoleType : int { Null = 0, Stdout = 1, Windows = 2, File = 3, Remote = 4 };

    virtual ~IMgrConsole() = default;

    // Appends a console of the host's; false if it is in the table already.
    // The manager deletes it at unload unless it was removed before. That is
    // after the host's static destructors and exit handlers have run, so a
    // console whose destructor needs the host's globals is removed by the host
    // before its own exit.
    virtual bool AddConsole(IConsole* console) = 0;
    // The built-in console of that slot, created (and registered) on first use;
    // null for a type outside 0 to 4 or a console this platform does not have.
    virtual IConsole* GetConsole(ConsoleType type) = 0;
    // Built-in consoles are always deleted; added ones only when `destroy` is set.
    virtual void RemoveConsole(IConsole* console, bool destroy) = 0;
    virtual void DestroyConsole(ConsoleType type) = 0;
    // Built-in consoles are always deleted; added ones only when `destroy` is set.
    virtual void RemoveAllConsoles(bool destroy) = 0;
    virtual bool ForEachConsole(const ConsoleVisitor& visitor) = 0;

    // The window console (type Windows) shows the messages in a window with a
    // menu to save, clear, copy and select them and to set the threshold.
    // Windows: the window belongs to the thread that opens it, which must run
    // a message loop; other threads' messages wait until it does.
    // Linux: the window comes from the UI module libVexirCoreUi.so (FLTK),
    // loaded beside the library at the first Show, and is run by a thread of
    // the module's own; the parent is an X11 window id. Without the module or
    // a display Show answers false and a Warning says why; the threshold
    // applies when a message is logged; a message that is not UTF-8 is dropped.
    virtual bool SetUIConsole(IConsole* console) = 0;
    virtual bool SetUIConsoleByType(ConsoleType type) = 0;
    // These four return false when the UI console is unset or has no UI interface.
    virtual bool ShowUIConsole(NativeWindowHandle parent, unsigned placement) = 0;
    virtual bool SetUIConsolePlacement(unsigned placement) = 0;
    virtual bool SetUIConsoleTitle(const std::string& title) = 0;
    virtual bool CloseUIConsole() = 0;
    virtual void SetUIConsoleAutoShow(bool onWarning, bool onError, NativeWindowHandle parent, unsigned placement) = 0;

    // The threshold is stored as given; consoles compare levels numerically.
    virtual void SetVerbosity(IConsole::VerbosityLevel level) = 0;
    virtual IConsole::VerbosityLevel GetVerbosity() = 0;
    // When set, every Error message is also reported as a failed assertion.
    virtual void SetAssertOnError(bool on) = 0;
    virtual bool GetAssertOnError() = 0;

    // printf-style; wide formats are converted to UTF-8 before the consoles see them.
    virtual void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    virtual void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format, ...) = 0;
    virtual void PrintDebug(const wchar_t* format, ...) = 0;
    virtual void PrintDebug(const char* format, ...) = 0;
    virtual void PrintVerbose(const wchar_t* format, ...) = 0;
    virtual void PrintVerbose(const char* format, ...) = 0;
    virtual void PrintInfo(const wchar_t* format, ...) = 0;
    virtual void PrintInfo(const char* format, ...) = 0;
    virtual void PrintWarning(const wchar_t* format, ...) = 0;
    virtual void PrintWarning(const char* format, ...) = 0;
    virtual void PrintError(const wchar_t* format, ...) = 0;
    virtual void PrintError(const char* format, ...) = 0;
    virtual void BeginBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    virtual void BeginBlock(IConsole::VerbosityLevel level, const char* format, ...) = 0;
    virtual void EndBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    virtual void EndBlock(IConsole::VerbosityLevel level, const char* format, ...) = 0;
};

// The console manager, made on the first call (also when two threads make it
// together). It lives until the library unloads, after the host's static
// destructors and exit handlers, so those may log. At unload it deletes every
// console in its table, under its lock: a thread still logging then finishes
// its message first. GetMgrConsole goes on returning the manager, closed:
// every later call on it does nothing (and GetConsole returns null).
//
// Messages reach the consoles one at a time, under the manager's lock; the
// error report of SetAssertOnError is raised after the lock is released.
//
// Windows: when the process exits (rather than the library being unloaded by
// FreeLibrary), nothing is torn down; the system closes the log file, whose
// lines were each flushed as written, and the remote connection, losing what
// the remote console had not sent yet.
VEXIR_API IMgrConsole* GetMgrConsole();

// A scoped block: BeginBlock at construction, EndBlock at destruction. The texts
// are formats without arguments, so a literal percent sign is written "%%".
class VEXIR_API AutoConsoleBlock {
public:
    AutoConsoleBlock(IMgrConsole* manager, IConsole::VerbosityLevel level, const std::string& beginText,
                     const std::string& endText);
    AutoConsoleBlock(const AutoConsoleBlock& other);
    AutoConsoleBlock& operator=(const AutoConsoleBlock& other);
    ~AutoConsoleBlock();

private:
    IMgrConsole* _pManager;
    IConsole::VerbosityLevel _eLevel;
    std::string _sEndText;
};

}  // namespace Vexir
