// The window system on Linux lives in a module of its own, libVexirCoreUi.so,
// which the library loads on first need: a render node without X11 or FLTK
// runs everything else and only misses the windows.
//
// Both sides are built from this tree by the same compiler, so the interface
// is plain C++; kModuleVersion changes with it.
#pragma once

#include <string>

namespace Vexir {
namespace ui {

const int kModuleVersion = 2;
const char kModuleFileName[] = "libVexirCoreUi.so";
const char kModuleEntry[] = "VexirUiModule";

// What a console window asks of its console. Called on the UI thread, never
// after ConsoleWindow::Release has returned.
class ConsoleWindowHost {
public:
    virtual int Threshold() = 0;
    virtual void SetThreshold(int level) = 0;

protected:
    ~ConsoleWindowHost() = default;
};

// A console window, run by the module's UI thread. Any thread may call these.
class ConsoleWindow {
public:
    // Opens the window (or leaves it open) beside the X11 window `parent`, or
    // centred on the screen when that is 0. Waits for the UI thread.
    virtual bool Show(unsigned long parent, unsigned placement) = 0;
    virtual bool SetPlacement(unsigned placement) = 0;
    // Kept for the next opening; false while the window is closed.
    virtual bool SetTitle(const std::string& title) = 0;
    virtual void Close() = 0;
    // One message for the window; never waits. Dropped while it is closed.
    virtual void Post(int kind, int level, std::string text) = 0;
    // The console is going: the host is not called again, the window closes
    // and frees itself, and the UI thread ends when nothing else needs it.
    virtual void Release() = 0;

protected:
    ~ConsoleWindow() = default;
};

// What an assert dialog asks of the library. Called on the UI thread while
// the asserting thread waits for the dialog.
class AssertDialogHost {
public:
    // Writes a minidump of the process; `text` is its path, or why there is
    // none. Any earlier dump is replaced.
    virtual bool CreateMinidump(bool fullDump, std::string& text) = 0;

protected:
    ~AssertDialogHost() = default;
};

// What an assert dialog shows.
struct AssertDialogContent {
    bool advanced = false;
    unsigned long owner = 0;  // an X11 window the dialog stays above, or 0
    std::string text;         // the basic dialog's text
    std::string copyText;     // what Copy Text puts on the clipboard
    std::string message, expression, file, line, callStack;  // the advanced dialog's fields
};

struct Module {
    int version;
    // Whether windows can be shown; if not, the reason in `whyNot`.
    bool (*Available)(std::string& whyNot);
    ConsoleWindow* (*CreateConsoleWindow)(ConsoleWindowHost* host);
    // The open or save dialog; `fileName` in and out as UTF-8. False when the
    // user cancels or no dialog can be shown.
    bool (*FileDialog)(bool save, unsigned long owner, std::string& fileName, const char* filter,
                       const char* defaultExtension, const char* initialDirectory);
    // Shows an assert dialog on the UI thread and waits for the user's
    // answer (an AssertResponse); -1 when no dialog can be shown.
    int (*AssertDialog)(const AssertDialogContent& content, AssertDialogHost* host);
};

using ModuleEntry = const Module* (*)();

// The module, loaded on the first call; null when it cannot be, with the
// reason in `whyNot`. Set VEXIR_UI_MODULE to load it from another path.
const Module* LoadModule(std::string& whyNot);

}  // namespace ui
}  // namespace Vexir
