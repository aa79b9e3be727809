// Console_Windows on Linux: the same window console as on Windows, an FLTK
// window run by the UI module (libVexirCoreUi.so), loaded at the first Show.
//
// Linux hosts run no message loop the library could borrow, so the module runs
// one UI thread of its own, started at the first Show and ended when the
// console is destroyed. Every message is queued for that thread, which writes
// it; none is written on the logging thread, so the threshold is applied when
// a message is logged. A message that is not UTF-8 is dropped (on Windows the
// owner thread's print throws instead). Without the module or a display, or
// once the display's connection is lost, Show answers false and a Warning says
// why; everything else goes on working. The parent is an X11 window id; the
// window stays above it. As on Windows, Escape does not close the window and
// a reopened window starts empty; it keeps the newest 3 to 4 MiB of text.
#pragma once

#include <Vexir/Console.h>

#include <mutex>
#include <string>

#include "Console/WindowMessageQueue.h"
#include "Foundation/UiModule.h"

namespace Vexir {

class Console_Windows : public IConsole, private ui::ConsoleWindowHost {
public:
    explicit Console_Windows(IMgrConsole* manager);
    ~Console_Windows() override;
    Console_Windows(const Console_Windows&) = delete;
    Console_Windows& operator=(const Console_Windows&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    // The module's window, once there is one.
    ui::ConsoleWindow* Window()
    {
        std::lock_guard<std::mutex> hold(_mLock);
        return _pWindow;
    }

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

    int Threshold() override;
    void SetThreshold(int level) override;
    bool Show(NativeWindowHandle parent, unsigned placement);
    void WarnOnce(const std::string& why);

    IMgrConsole* _pManager;
    UIInterface* _pUIInterface;
    std::mutex _mLock;  // the fields below
    ui::ConsoleWindow* _pWindow;
    bool _bEverShown;
    std::string _sTitle;
    std::string _sLastWarning;
    MessageQueue _qEarly;  // logged before the first opening
};

}  // namespace Vexir
