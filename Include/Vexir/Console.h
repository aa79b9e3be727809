/// @file
/// Logging: one console manager formats printf-style messages once and hands the
/// finished text to every console in its table, in table order, under one
/// recursive lock. Each console decides for itself whether and how to show it.
///
/// The rule the library keeps, and a host's own consoles should keep too: a
/// host's thread never waits on anything outside the process (a peer, a
/// display, a pipe, a child program) without a bound, never waits on anything
/// slower than a system call while it holds the console manager's lock (every
/// Output runs under it), and is never ended by the library: no signal, no
/// exception, no abort.
///
/// Which consoles can make a print wait: the remote console and the window
/// console never wait for their receiver (what it has not taken yet waits in a
/// queue of theirs). The standard-output console and the log file write each
/// message at once, as printf does: a standard output that is a pipe nobody
/// reads, or a file on a stalled disk, holds the print (and the other printing
/// threads) until the write goes through. A message no console could show (no
/// console of the host's, none that takes every level, its level above the
/// threshold, no error report or auto-show due) is not even formatted.
///
/// @code
///   IMgrConsole* consoles = GetMgrConsole();
///   consoles->GetConsole(IMgrConsole::Stdout);
///   consoles->PrintInfo("Loaded %d meshes in %.1f ms\n", count, ms);
///   {
///       AutoConsoleBlock block(consoles, IConsole::Info, "Scene", "Scene done");
///       consoles->PrintVerbose("%s\n", name);   // indented inside the block
///   }
/// @endcode
#pragma once

#include <Vexir/Platform.h>

#include <string>

namespace Vexir {

class IMgrConsole;

/// An extension interface of a console, found through IConsole::GetInterface.
class VEXIR_API InterfaceBase {
public:
    /// What an extension interface is, and so the class to cast it to.
    enum InterfaceType : int { UI = 0, File = 1, Remote = 2 };
    /// @var UI
    /// An IUIConsoleInterface.
    /// @var File
    /// An IFileConsoleInterface.
    /// @var Remote
    /// An IRemoteConsoleInterface.

    virtual ~InterfaceBase() = default;
    /// The InterfaceType of this interface.
    virtual int GetInterfaceType() = 0;
};

/// A destination of log messages. The built-in consoles come from
/// IMgrConsole::GetConsole; a host's own are registered with
/// IMgrConsole::AddConsole.
class VEXIR_API IConsole {
public:
    /// A message of level L is shown when L <= the manager's threshold.
    enum VerbosityLevel : int { Silent = 0, Error = 1, Warning = 2, Info = 3, Verbose = 4, Debug = 5 };
    /// How a message stands to the blocks around it.
    enum MessageKind : int { Normal = 0, BlockBegin = 1, BlockEnd = 2 };
    /// @var Silent
    /// As a threshold, hides Error and every level after it.
    /// @var Error
    /// Failures.
    /// @var Warning
    /// Problems that do not stop the work.
    /// @var Info
    /// Progress and results; the threshold until one is set.
    /// @var Verbose
    /// Details.
    /// @var Debug
    /// Traces for the developer.
    /// @var Normal
    /// A message on its own.
    /// @var BlockBegin
    /// Opens a block: the text consoles indent the messages that follow.
    /// @var BlockEnd
    /// Closes the block opened last.

    virtual ~IConsole() = default;
    /// The console's extension interface of that InterfaceType, or null.
    /// The interface belongs to the console and lives as long as it does.
    virtual InterfaceBase* GetInterface(int /*type*/) { return nullptr; }
    /// Receives one finished message; runs under the manager's lock.
    /// `text` is the formatted UTF-8 message, its line feed (if any) included.
    /// Every message arrives, whatever its level: the console compares `level`
    /// with the threshold (GetMgrConsole()->GetVerbosity()) itself.
    virtual void Output(MessageKind kind, VerbosityLevel level, const char* text) = 0;
};

/// The window operations of a console that shows a window. Placement codes:
/// 0 centred on the parent, 1 left of it, 2 right of it, 3 below it, 4 above it.
class VEXIR_API IUIConsoleInterface : public InterfaceBase {
public:
    /// Opens the window, or brings it back, placed by `placement` next to
    /// `parent`. False when it cannot be shown.
    virtual bool Show(NativeWindowHandle parent, unsigned placement) = 0;
    /// Moves the open window to another placement; false when none is open.
    virtual bool SetPlacement(unsigned placement) = 0;
    /// Sets the window's title, kept for later openings too. False when no
    /// window shows it now, and for a title that is not UTF-8 (not kept).
    virtual bool SetTitle(const std::string& title) = 0;
    /// Closes the window, if open; a reopened window starts empty. Returns true.
    virtual bool Close() = 0;
};

/// The settings of the log-file console, from GetInterface(InterfaceBase::File).
/// They take effect when the file opens, at the first message that is shown, so
/// set them before that; the file keeps the format it opened with.
///
/// A file that cannot be opened drops the messages meant for it: the first
/// failure is said in one Warning to the other consoles, IsFileOpen and
/// GetLastOpenError tell the host, opening is tried again at most once a
/// second, and once the file opens its first message says how many were
/// dropped.
///
/// Every line starts with the local time as "[hh:mm:ss]" (hours, minutes,
/// seconds, in that order), and the header line carries the date as
/// "Sun, 06 Dec 2026". An HTML log is a UTF-8 page in which the message text
/// and the title are shown as written: "<", ">", "&" (and '"' in the title)
/// are written as entities.
///
/// The setters take no lock: call them while no other thread logs.
class VEXIR_API IFileConsoleInterface : public InterfaceBase {
public:
    /// Any format other than Html writes text lines.
    enum LogFormat : int { Text = 0, Html = 1 };
    /// @var Text
    /// Text lines, each marked with its level ("[I] ").
    /// @var Html
    /// An HTML page, one coloured line per message.

    /// The directory of the log file, joined to the name with "/"; empty
    /// (the default) for the current directory.
    virtual void SetDirectory(const std::string& directory) = 0;
    /// "VexirLog.txt" unless set.
    virtual void SetFileName(const std::string& fileName) = 0;
    /// A LogFormat value; Text unless set.
    virtual void SetFormat(int format) = 0;
    /// The HTML page title, "Vexir Log" unless set.
    virtual void SetTitle(const std::string& title) = 0;
    /// Whether the log file is open.
    virtual bool IsFileOpen() = 0;
    /// The system's error number (errno) of the last attempt to open the file
    /// that failed; 0 while the file is open or has not been tried yet.
    virtual int GetLastOpenError() = 0;
};

/// The remote console, from GetInterface(InterfaceBase::Remote): it sends every
/// message, whatever the threshold, to the RemoteConsole program on port 7500.
///
/// Logging never waits for the program. What it has not taken yet waits in a
/// queue of at most 4 MiB; a message that does not fit is dropped, and once
/// there is room again a Warning saying how many were dropped is sent first. A
/// program that goes away costs nothing but the lost messages, and the next
/// program connected to is told how many. A program that stops sending (shuts
/// down its side of the connection) is still sent to. Disconnecting,
/// connecting elsewhere and the console's destruction (also at unload) give
/// the queue at most 2 seconds to drain; what does not leave is counted and
/// told to the next program.
///
/// These calls may be made while other threads log: they wait (for the
/// connection, the program, the old queue) without the console manager's lock
/// and hold it only to swap the old connection for the new one.
class VEXIR_API IRemoteConsoleInterface : public InterfaceBase {
public:
    /// Starts the RemoteConsole program and waits, at most 5 seconds, until it
    /// listens. True when it does; false when it was not found or could not
    /// start, ended at once (its port taken) or did not listen in time, and
    /// then nothing of it is left running. It is looked for beside the
    /// library, then beside the host's program, then in the folders of PATH
    /// (the current directory only when PATH names it). It starts with no
    /// handle of the host's. Linux: in a session of its own, with /dev/null
    /// for its standard streams, every signal at its default; once it has
    /// ended it is collected (no zombie is left) at the next Connect, launch,
    /// lost connection or destruction. Windows: it shares the host's console,
    /// if there is one, or gets its own. The program is not connected to.
    virtual bool LaunchRemoteConsole() = 0;
    /// Connects to the program on this machine, at 127.0.0.1.
    virtual bool ConnectLocal() = 0;
    /// Reserved; returns false.
    virtual bool ReservedQuery() = 0;
    /// Connects to a dotted IPv4 address; a connection made earlier is closed.
    /// Waits at most 3 seconds for the connection to be made or refused.
    /// False when no connection is made, also for a text that is no dotted
    /// address (a host name is not looked up).
    virtual bool Connect(const std::string& address) = 0;
    /// Reserved; does nothing.
    virtual void ReservedAction() = 0;
};

/// A callback for IMgrConsole::ForEachConsole.
struct ConsoleVisitor {
    void* userData;  ///< Handed to `visit` unchanged.
    /// Returning false stops the visit.
    /// Called with each console in table order, under the manager's lock.
    bool (*visit)(void* userData, IConsole* console);
};

/// The console manager, from GetMgrConsole: the table of consoles, the
/// threshold and the printing calls.
class VEXIR_API IMgrConsole {
public:
    /// The built-in consoles, one slot each at the start of the table.
    enum ConsoleType : int { Null = 0, Stdout = 1, Windows = 2, File = 3, Remote = 4 };
    /// @var Null
    /// Receives every message and shows none.
    /// @var Stdout
    /// The standard output: each message marked with its level ("[I]"),
    /// indented by the blocks it is in, and flushed. Written through
    /// std::cout's buffer, leaving the stream's formatting, exceptions and
    /// state as the host set them; a reader that went away costs the host no
    /// SIGPIPE, and messages that could not be written are counted in a
    /// Warning once writing works again. On a Windows console the text is
    /// written as UTF-16, so UTF-8 shows right whatever the code page.
    /// @var Windows
    /// A window of its own; see SetUIConsole.
    /// @var File
    /// A log file; see IFileConsoleInterface.
    /// @var Remote
    /// The RemoteConsole program over TCP; see IRemoteConsoleInterface.

    virtual ~IMgrConsole() = default;

    /// Appends a console of the host's; false if it is in the table already.
    /// The manager deletes it at unload unless it was removed before. That is
    /// after the host's static destructors and exit handlers have run, so a
    /// console whose destructor needs the host's globals is removed by the host
    /// before its own exit.
    virtual bool AddConsole(IConsole* console) = 0;
    /// The built-in console of that slot, created (and registered) on first use;
    /// null for a type outside 0 to 4 or a console this platform does not have.
    virtual IConsole* GetConsole(ConsoleType type) = 0;
    /// Takes the console out of the table; if it is the UI console, there is
    /// then none.
    /// Built-in consoles are always deleted; added ones only when `destroy` is set.
    virtual void RemoveConsole(IConsole* console, bool destroy) = 0;
    /// Deletes the built-in console of that type, if it was made; the next
    /// GetConsole makes a new one.
    virtual void DestroyConsole(ConsoleType type) = 0;
    /// Empties the table and unsets the UI console.
    /// Built-in consoles are always deleted; added ones only when `destroy` is set.
    virtual void RemoveAllConsoles(bool destroy) = 0;
    /// Calls the visitor with each console, built-in slots first; false when
    /// the visitor stopped the visit.
    virtual bool ForEachConsole(const ConsoleVisitor& visitor) = 0;

    /// Chooses the console whose window the UI calls below act on, through its
    /// IUIConsoleInterface. Any console may be chosen, in the table or not;
    /// always true.
    ///
    /// The window console (type Windows) shows the messages in a window with a
    /// menu to save, clear, copy and select them and to set the threshold.
    /// Windows: the window belongs to the thread that opens it, which must run
    /// a message loop; other threads' messages wait until it does.
    /// Linux: the window comes from the UI module libVexirCoreUi.so (FLTK),
    /// loaded beside the library at the first Show, and is run by a thread of
    /// the module's own; the parent is an X11 window id. Without the module or
    /// a display Show answers false and a Warning says why; the threshold
    /// applies when a message is logged; a message that is not UTF-8 is dropped.
    virtual bool SetUIConsole(IConsole* console) = 0;
    /// SetUIConsole with the built-in console of that type, made if need be;
    /// false when there is none.
    virtual bool SetUIConsoleByType(ConsoleType type) = 0;
    /// Shows the UI console's window next to `parent` (placement codes as in
    /// IUIConsoleInterface).
    /// These four return false when the UI console is unset or has no UI interface.
    virtual bool ShowUIConsole(NativeWindowHandle parent, unsigned placement) = 0;
    /// Moves the UI console's open window; false also when it is not open.
    virtual bool SetUIConsolePlacement(unsigned placement) = 0;
    /// Sets the title of the UI console's window (see IUIConsoleInterface::SetTitle).
    virtual bool SetUIConsoleTitle(const std::string& title) = 0;
    /// Closes the UI console's window.
    virtual bool CloseUIConsole() = 0;
    /// Makes each Warning (with `onWarning`) and each Error (with `onError`)
    /// show the UI console first, with this parent and placement. Both are off
    /// until set.
    virtual void SetUIConsoleAutoShow(bool onWarning, bool onError, NativeWindowHandle parent, unsigned placement) = 0;

    /// Sets the threshold the consoles compare message levels with; Info until set.
    /// The threshold is stored as given; consoles compare levels numerically.
    virtual void SetVerbosity(IConsole::VerbosityLevel level) = 0;
    /// The threshold.
    virtual IConsole::VerbosityLevel GetVerbosity() = 0;
    /// When set, every Error message is also reported as a failed assertion.
    /// The report comes after the consoles have the message. Off until set.
    virtual void SetAssertOnError(bool on) = 0;
    /// Whether Error messages are reported as failed assertions.
    virtual bool GetAssertOnError() = 0;

    /// Formats a message and hands it to every console as `kind` at `level`.
    /// printf-style; wide formats are converted to UTF-8 before the consoles see them.
    virtual void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    /// Print with a UTF-8 format.
    virtual void Print(IConsole::MessageKind kind, IConsole::VerbosityLevel level, const char* format, ...)
        VEXIR_PRINTF(4, 5) = 0;
    /// A Normal message at Debug level, from a wide format.
    virtual void PrintDebug(const wchar_t* format, ...) = 0;
    /// A Normal message at Debug level.
    virtual void PrintDebug(const char* format, ...) VEXIR_PRINTF(2, 3) = 0;
    /// A Normal message at Verbose level, from a wide format.
    virtual void PrintVerbose(const wchar_t* format, ...) = 0;
    /// A Normal message at Verbose level.
    virtual void PrintVerbose(const char* format, ...) VEXIR_PRINTF(2, 3) = 0;
    /// A Normal message at Info level, from a wide format.
    virtual void PrintInfo(const wchar_t* format, ...) = 0;
    /// A Normal message at Info level.
    virtual void PrintInfo(const char* format, ...) VEXIR_PRINTF(2, 3) = 0;
    /// A Normal message at Warning level, from a wide format.
    virtual void PrintWarning(const wchar_t* format, ...) = 0;
    /// A Normal message at Warning level.
    virtual void PrintWarning(const char* format, ...) VEXIR_PRINTF(2, 3) = 0;
    /// A Normal message at Error level, from a wide format.
    virtual void PrintError(const wchar_t* format, ...) = 0;
    /// A Normal message at Error level.
    virtual void PrintError(const char* format, ...) VEXIR_PRINTF(2, 3) = 0;
    /// Opens a block with this message (BlockBegin), from a wide format.
    virtual void BeginBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    /// Opens a block with this message (BlockBegin); end it with EndBlock at
    /// the same level.
    virtual void BeginBlock(IConsole::VerbosityLevel level, const char* format, ...) VEXIR_PRINTF(3, 4) = 0;
    /// Closes the block opened last with this message (BlockEnd), from a wide format.
    virtual void EndBlock(IConsole::VerbosityLevel level, const wchar_t* format, ...) = 0;
    /// Closes the block opened last with this message (BlockEnd).
    virtual void EndBlock(IConsole::VerbosityLevel level, const char* format, ...) VEXIR_PRINTF(3, 4) = 0;
};

/// The console manager, made on the first call (also when two threads make it
/// together). It lives until the library unloads, after the host's static
/// destructors and exit handlers, so those may log. At unload it deletes every
/// console in its table, under its lock: a thread still logging then finishes
/// its message first. GetMgrConsole goes on returning the manager, closed:
/// every later call on it does nothing (and GetConsole returns null).
///
/// Messages reach the consoles one at a time, under the manager's lock; the
/// error report of SetAssertOnError is raised after the lock is released.
///
/// Windows: when the process exits (rather than the library being unloaded by
/// FreeLibrary), nothing is torn down; the system closes the log file, whose
/// lines were each flushed as written, and the remote connection, losing what
/// the remote console had not sent yet.
VEXIR_API IMgrConsole* GetMgrConsole();

/// A scoped block: BeginBlock at construction, EndBlock at destruction. The texts
/// are plain text, printed as they stand: a "%" is a percent sign.
class VEXIR_API AutoConsoleBlock {
public:
    /// Begins the block on `manager` at `level`; `endText` ends it. A null
    /// manager prints neither text.
    AutoConsoleBlock(IMgrConsole* manager, IConsole::VerbosityLevel level, const std::string& beginText,
                     const std::string& endText);
    /// A copy ends the same block again when it is destroyed: the end text is
    /// printed once for each copy.
    AutoConsoleBlock(const AutoConsoleBlock& other);
    /// Takes the other block's manager, level and end text; the end text this
    /// object held is no longer printed.
    AutoConsoleBlock& operator=(const AutoConsoleBlock& other);
    /// Ends the block.
    ~AutoConsoleBlock();

private:
    IMgrConsole* _pManager;
    IConsole::VerbosityLevel _eLevel;
    std::string _sEndText;
};

}  // namespace Vexir
