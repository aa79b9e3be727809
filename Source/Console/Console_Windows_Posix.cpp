#include "Console/Console_Windows_Posix.h"

#include <Vexir/Assert.h>
#include <Vexir/Utf8Util.h>

#include <new>

#include "Console/WindowConsole.h"
#include "Console/WindowConsoleLook.h"

namespace Vexir {

namespace {

bool IsUtf8(const char* text)
{
    try {
        utf8util::Utf8ToU16(text);
        return true;
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
}

// The X11 window id a Linux host passes in the handle.
unsigned long X11Window(NativeWindowHandle handle)
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace

IConsole* CreateWindowConsole(IMgrConsole* manager) { return new Console_Windows(manager); }

Console_Windows::Console_Windows(IMgrConsole* manager)
    : _pManager(manager),
      _pUIInterface(new (std::nothrow) UIInterface(this)),
      _pWindow(nullptr),
      _bEverShown(false),
      _sTitle(windowconsole::kDefaultTitle)
{
    CORE_ASSERT_MSG(_pUIInterface, "Failed to create Console_Windows::UIInterface");
}

Console_Windows::~Console_Windows()
{
    ui::ConsoleWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        window = _pWindow;
        _pWindow = nullptr;
    }
    if (window)
        window->Release();
    delete _pUIInterface;
}

InterfaceBase* Console_Windows::GetInterface(int type) { return type == InterfaceBase::UI ? _pUIInterface : nullptr; }

void Console_Windows::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    const char* line = text ? text : "";
    // The threshold as it is now: the window writes the message later, on
    // its own thread, by when the host may have changed it.
    if (static_cast<int>(level) > Threshold() || !IsUtf8(line))
        return;
    std::lock_guard<std::mutex> hold(_mLock);
    if (_pWindow && _bEverShown)
        _pWindow->Post(kind, level, line);
    else
        _qEarly.Push(QueuedMessage{line, kind, level});
}

int Console_Windows::Threshold()
{
    IMgrConsole* manager = GetMgrConsole();
    return manager ? static_cast<int>(manager->GetVerbosity()) : static_cast<int>(Silent);
}

void Console_Windows::SetThreshold(int level)
{
    if (IMgrConsole* manager = GetMgrConsole())
        manager->SetVerbosity(static_cast<VerbosityLevel>(level));
}

// Said once for each new reason, so that a host that shows the console at
// every warning does not get a warning about each try.
void Console_Windows::WarnOnce(const std::string& why)
{
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (why == _sLastWarning)
            return;
        _sLastWarning = why;
    }
    if (IMgrConsole* manager = GetMgrConsole())
        manager->PrintWarning("Window console: %s\n", why.c_str());
}

bool Console_Windows::Show(NativeWindowHandle parent, unsigned placement)
{
    std::string whyNot;
    const ui::Module* module = ui::LoadModule(whyNot);
    if (!module) {
        WarnOnce(whyNot);
        return false;
    }
    if (!module->Available(whyNot)) {
        WarnOnce(whyNot);
        return false;
    }
    ui::ConsoleWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (!_pWindow) {
            _pWindow = module->CreateConsoleWindow(this);
            if (_pWindow)
                _pWindow->SetTitle(_sTitle);
        }
        window = _pWindow;
    }
    if (!window || !window->Show(X11Window(parent), placement))
        return false;
    std::lock_guard<std::mutex> hold(_mLock);
    if (!_bEverShown) {
        // What waited for the first opening goes first, before anything the
        // window is given from now on.
        QueuedMessage early;
        while (_qEarly.Pop(early))
            window->Post(early.kind, early.level, std::move(early.text));
        _bEverShown = true;
    }
    return true;
}

bool Console_Windows::UIInterface::Show(NativeWindowHandle parent, unsigned placement)
{
    return _pConsole->Show(parent, placement);
}

bool Console_Windows::UIInterface::SetPlacement(unsigned placement)
{
    ui::ConsoleWindow* window = _pConsole->Window();
    return window && window->SetPlacement(placement);
}

// A title that is not UTF-8 is refused and the stored one kept.
bool Console_Windows::UIInterface::SetTitle(const std::string& title)
{
    if (!IsUtf8(title.c_str()))
        return false;
    std::lock_guard<std::mutex> hold(_pConsole->_mLock);
    _pConsole->_sTitle = title;
    return _pConsole->_pWindow && _pConsole->_pWindow->SetTitle(title);
}

bool Console_Windows::UIInterface::Close()
{
    if (ui::ConsoleWindow* window = _pConsole->Window())
        window->Close();
    return true;
}

}  // namespace Vexir
