/// @file
/// Failure reporting: one process-wide active assert handler shows each failed
/// assertion and returns the answer (go on, go on and never report this site
/// again, or break into the debugger). The library never ends the process
/// because of an assertion; the code after the site always runs.
///
/// At load the standard-output handler is active and calls of pure virtual
/// functions are reported through the active handler; the process then ends as
/// the runtime ends it. The hook is the C++ runtime's pure-virtual entry point,
/// `__cxa_pure_virtual`, which the library defines; on Windows the library also
/// installs it with `_set_purecall_handler`. MinGW-built programs refer to that
/// entry point only weakly, so their own pure calls reach the hook only when
/// they refer to the library's `__cxa_pure_virtual` by name.
///
/// The active handler is a plain pointer and a site's "ignore always" flag a
/// plain bool: neither is synchronised. Choose the handler before other
/// threads can assert; a handler may be called from several threads at once.
#pragma once

#include <Vexir/Platform.h>

namespace Vexir {

/// @enum AssertResponse
/// The answer of a handler. A site treats any other value as Ignore.
/// @var Ignore
/// Go on.
/// @var IgnoreAlways
/// Go on, and never report this site again in this process.
/// @var Break
/// Trap into the debugger at the site (the processor's breakpoint: SIGTRAP on
/// Linux, a breakpoint exception on Windows), then go on when the debugger
/// resumes. Only while a debugger is attached (on Linux a tracer that is gdb,
/// gdbserver, lldb, lldb-server or rr, not strace or a sandbox; on Windows
/// IsDebuggerPresent): without one the trap would end the process,
/// so the site goes on as with Ignore and says so on standard error. To break,
/// attach a debugger while the handler waits for its answer.
enum AssertResponse : int { Ignore = 0, IgnoreAlways = 1, Break = 2 };

/// The built-in handlers, for SetActiveAssertHandler(BuiltinAssertHandlerID, NativeWindowHandle).
enum BuiltinAssertHandlerID : int {
    BuiltinAssert_Null = 0,          ///< AssertHandler_Null: shows nothing.
    BuiltinAssert_Stdout = 1,        ///< AssertHandler_Stdout: standard output and input; active at load.
    BuiltinAssert_BasicWin = 2,      ///< AssertHandler_BasicWin: the basic dialog.
    BuiltinAssert_AdvancedWin = 3,   ///< AssertHandler_AdvancedWin: the advanced dialog.
};

/// Shows a failed assertion and returns the answer. Implement it to report
/// assertions your own way, and make it active with SetActiveAssertHandler.
class VEXIR_API IAssertHandler {
public:
    virtual ~IAssertHandler();
    /// Shows one failed assertion; called by RaiseAssert on the asserting
    /// thread, which waits for the answer.
    ///
    /// @param expression the failed condition's source text ("0" for a site
    ///        with no condition).
    /// @param line the site's line.
    /// @param file the site's source path without extension (e.g.
    ///        "Source/Console/MgrConsole").
    /// @param message the site's message; may be null.
    /// @return an AssertResponse. The texts live only during the call.
    virtual int HandleAssert(const char* expression, int line, const char* file, const char* message) = 0;
};

/// Shows nothing and answers Ignore.
class VEXIR_API AssertHandler_Null : public IAssertHandler {
public:
    /// Answers Ignore.
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override;
};

/// Writes the report block to standard output and asks on standard input:
///
/// @verbatim
///   =================== ASSERT =====================
///      Message : text of the message
///   Expression : _pData != NULL
///         File : Source/Network/TextPacket
///         Line : 42
///   ------------------------------------------------
///   (I)gnore    (A)lways Ignore    (B)reak
///   Choose [ I | A | B ]:
/// @endverbatim
///
/// Empty fields other than Line are left out, and any other answer asks again;
/// the end of input answers Ignore. Break with no debugger attached answers
/// Ignore, and the block says so.
///
/// It asks only when there is someone to answer: when standard input is a
/// terminal (a console on Windows) that the process may read, or when the host
/// has put a stream buffer of its own into std::cin. A standard input that is a
/// pipe or a file is the host's data: it is never read, and the block ends with
/// "Standard input is not a terminal: the answer is Ignore." instead of the
/// prompt. A Linux process in the background of its terminal (started with
/// "&"), which a read would stop, gets "This process runs in the background of
/// its terminal: the answer is Ignore."
///
/// The host's streams are used through their buffers only: their flags, fill,
/// width, locale, exception masks and error states are neither used nor
/// changed, so no stream exception leaves the handler and a failed read of the
/// host's does not stop the prompt. Reports from several threads come one at a
/// time, each waiting for its answer.
class VEXIR_API AssertHandler_Stdout : public IAssertHandler {
public:
    /// Writes the report and reads the answer (I, A or B, either case).
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override;
};

/// Base of the dialog handlers: remembers the window that owns the dialog.
class VEXIR_API IAssertHandler_Windows : public IAssertHandler {
public:
    /// Sets the window that owns the dialog; null for none. On Linux the handle
    /// carries an X11 window id. Only the basic dialog has an owner.
    virtual void SetParentWindow(NativeWindowHandle window);

protected:
    NativeWindowHandle _hParent = nullptr;   ///< The window set by SetParentWindow, or null.
};

/// The basic dialog handler. The dialog handlers show a failed assertion in a
/// modal, topmost dialog and answer with the button the user presses. A close
/// request (Alt+F4, or the window manager's close) answers IgnoreAlways;
/// Escape does nothing; Return presses Ignore. The asserting thread waits for
/// the answer.
///
/// Basic: titled "Vexir Assertion Failed", the text and Ignore, Ignore
/// Always, Debug and Copy Text; owned by the handler's parent window (on
/// Windows an owner on another thread must keep handling its messages).
/// Advanced (AssertHandler_AdvancedWin): no title and no owner; the message,
/// file, line and expression in fields of their own, what is known of the call
/// stack, and a minidump of the process that Copy Minidump File puts on the
/// clipboard.
///
/// Windows: the library's dialog resources 101 and 102; the dump is DbgHelp's
/// minidump "VexirMinidump.dmp" in the temporary directory (Full Dump: with
/// the process's whole memory); the call-stack field tells the debug-help
/// library's version, not the stack; the collector waits at most 10 s to
/// start (it cannot while the asserting thread holds the loader lock). Copy
/// Text copies ANSI and Unicode text.
///
/// Linux: the same dialogs from the UI module (libVexirCoreUi.so, needs a
/// display), on its thread. The call-stack field holds the asserting
/// thread's stack, demangled. The dump is a core file "VexirMinidump.core" in
/// $TMPDIR (else /tmp), written by gdb's gcore, which must be installed;
/// without Full Dump it leaves out anonymous private memory (heap and
/// stacks), and while gdb writes, the process's coredump_filter says so. The
/// dump is readable by its owner only. The library lets gdb attach where
/// Yama restricts tracing. The clipboard is X11's: after a copy the UI
/// module's thread keeps answering other programs' pastes until one of them
/// takes the clipboard. Copy Minidump File copies the dump's file:// URI as
/// text.
///
/// When no dialog can be shown (no display, no UI module) the answer is -1,
/// which every site treats as Ignore; on Linux the assertion is then written
/// to standard error.
class VEXIR_API AssertHandler_BasicWin : public IAssertHandler_Windows {
public:
    /// Shows the basic dialog and returns its answer, or -1 when no dialog can
    /// be shown.
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override;
};

/// The advanced dialog handler: no title and no owner; the message, file, line
/// and expression in fields of their own, what is known of the call stack, and
/// a minidump of the process that Copy Minidump File puts on the clipboard.
/// What the two dialogs share, and the platforms' details, are told at
/// AssertHandler_BasicWin.
class VEXIR_API AssertHandler_AdvancedWin : public IAssertHandler_Windows {
public:
    /// Shows the advanced dialog and returns its answer, or -1 when no dialog
    /// can be shown.
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override;
};

/// The active handler (AssertHandler_Stdout at load); null after
/// SetActiveAssertHandler(nullptr), and then no assertion is reported.
VEXIR_API IAssertHandler* GetActiveAssertHandler();
/// Stores the handler unchanged; the caller keeps it alive while it is active.
/// Null silences every site.
VEXIR_API void SetActiveAssertHandler(IAssertHandler* handler);
/// Makes a built-in handler active (a dialog handler with `parent` as its
/// parent window, which only the basic dialog uses as owner). An unknown id
/// returns false and changes nothing.
VEXIR_API bool SetActiveAssertHandler(BuiltinAssertHandlerID id, NativeWindowHandle parent);

/// The sequence every assertion site runs when its condition fails: nothing if
/// the site's flag is set; otherwise ask the active handler and act on the
/// answer (Break traps into the debugger, then goes on; IgnoreAlways sets the
/// flag). `file` may be a full path: it is reported from its "Source/" or
/// "Include/" folder on, without extension.
///
/// @param ignoreAlways the site's own flag, set by an IgnoreAlways answer.
/// @param expression the failed condition's source text.
/// @param line the site's line.
/// @param file the site's source file, or null.
/// @param message a message for the report, or null.
VEXIR_API void RaiseAssert(bool& ignoreAlways, const char* expression, int line, const char* file,
                           const char* message);

}  // namespace Vexir

/// Asserts that `condition` holds; when it does not, reports it with `message`
/// through Vexir::RaiseAssert. Assertion sites stay in effect in release
/// builds; each expansion has its own ignoreAlways flag.
///
/// @param condition evaluated once, in a boolean context.
/// @param message a C string, or null; evaluated only when the condition fails.
#define CORE_ASSERT_MSG(condition, message)                                                      \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            static bool s_bIgnoreAlways = false;                                                 \
            ::Vexir::RaiseAssert(s_bIgnoreAlways, #condition, __LINE__, __FILE__, (message));    \
        }                                                                                        \
    } while (0)

/// CORE_ASSERT_MSG without a message.
/// @param condition evaluated once, in a boolean context.
#define CORE_ASSERT(condition) CORE_ASSERT_MSG(condition, nullptr)
