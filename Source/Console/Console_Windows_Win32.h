// Console_Windows: shows the messages in a top-level window holding a
// read-only rich-edit control, one colour and weight per level, with menus to
// save, clear, copy and select the text and to set the manager's threshold.
//
// The window belongs to the thread that opens it, which must run a message
// loop; a window reopened by another thread belongs to that one. Messages
// logged on other threads are queued and handed to it with WM_DRAIN_QUEUE, a
// batch at a time; those logged before the window was ever opened are kept
// (the newest 8 MiB) for the first opening. Messages written while it is
// closed are dropped. A line that is not UTF-8 throws utf8_conversion_error
// on the owner thread; drained from the queue, it is dropped. The control
// keeps the newest 3 to 4 million characters; Save As writes them as UTF-8.
// The console creates no thread. The first window pins the library in the
// process, as the window's thread may be inside its code at any time.
//
// What the window works with lives in a WindowState that the window holds as
// well, so a console destroyed on one thread never pulls the state from under
// the window procedure running on another.
#pragma once

#include <Vexir/Console.h>

#include <windows.h>

#include <memory>
#include <string>

namespace Vexir {

class Console_Windows : public IConsole {
public:
    static const UINT WM_DRAIN_QUEUE = WM_USER + 1;
    // Another thread's SetTitle: the owner sets the stored title.
    static const UINT WM_APPLY_TITLE = WM_USER + 2;

    explicit Console_Windows(IMgrConsole* manager);
    ~Console_Windows() override;
    Console_Windows(const Console_Windows&) = delete;
    Console_Windows& operator=(const Console_Windows&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

    struct WindowState;

private:
    class UIInterface : public IUIConsoleInterface {
    public:
        explicit UIInterface(Console_Windows* console) : _pConsole(console) {}
        int GetInterfaceType() override { return UI; }
        bool Show(NativeWindowHandle parent, unsigned placement) override;
        bool SetPlacement(unsigned placement) override;
        bool SetTitle(const std::string& title) override;
        bool Close() override;

    private:
        Console_Windows* _pConsole;
    };

    IMgrConsole* _pManager;
    UIInterface* _pUIInterface;
    HMODULE _hRichEditLibrary;
    HFONT _hStockFont;
    HBRUSH _hBrush;
    std::shared_ptr<WindowState> _pState;
};

}  // namespace Vexir
