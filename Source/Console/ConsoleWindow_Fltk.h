// The console window on Linux: an FLTK window with a menu bar and a styled,
// read-only text view, run by the UI thread. The same window, menus, colours
// and behaviour as the rich-edit window on Windows.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "Console/WindowMessageQueue.h"
#include "Foundation/UiModule.h"

class Fl_Double_Window;
class Fl_Text_Buffer;

namespace Vexir {
namespace ui {

class ConsoleMenuBar;
class ConsoleTextView;
struct ConsoleWindowSnapshot;
struct StyleLook;

// The look of a style letter of the window's text, for the tests.
bool LookOfStyle(char style, StyleLook& look);

class FltkConsoleWindow final : public ConsoleWindow, public std::enable_shared_from_this<FltkConsoleWindow> {
public:
    static ConsoleWindow* Create(ConsoleWindowHost* host);
    // The window made last, while the console still holds it; for the tests.
    static ConsoleWindow* Latest();

    bool Show(unsigned long parent, unsigned placement) override;
    bool SetPlacement(unsigned placement) override;
    bool SetTitle(const std::string& title) override;
    void Close() override;
    void Post(int kind, int level, std::string text) override;
    void Release() override;

    // The UI thread's side.
    void Command(unsigned command);
    void RefreshVerbosityMarks();
    void Snapshot(ConsoleWindowSnapshot& snapshot);
    void Select(int start, int end);
    void ScrollTo(int line);
    void OpenMenu();
    unsigned long XWindow() const;
    bool Pending() { return _qMessages.Size() != 0; }

    explicit FltkConsoleWindow(ConsoleWindowHost* host);
    ~FltkConsoleWindow();

private:
    bool Open();
    void Build();
    void Place(unsigned code);
    void CloseOnUiThread();
    void Drain();
    void Append(const std::string& text, const std::string& styles);
    void SaveTextAs();
    bool SaveText(const std::string& path);
    void Bury();
    int HostThreshold();

    std::shared_ptr<FltkConsoleWindow> _pSelf;  // the console's reference, until Release
    std::mutex _mHostLock;
    ConsoleWindowHost* _pHost;
    std::mutex _mLock;  // what other threads set: title, parent, placement
    std::string _sTitle;
    unsigned long _uParent = 0;
    unsigned _uPlacement = 0;
    std::atomic<bool> _bOpen{false};
    std::atomic<bool> _bEverOpened{false};
    bool _bUser = false;  // counted as a user of the UI thread; under _mLock
    MessageQueue _qMessages;

    // The UI thread's only.
    Fl_Double_Window* _pWindow = nullptr;
    ConsoleMenuBar* _pMenu = nullptr;
    ConsoleTextView* _pView = nullptr;
    Fl_Text_Buffer* _pText = nullptr;
    Fl_Text_Buffer* _pStyles = nullptr;
    int _iDepth = 0;
};

}  // namespace ui
}  // namespace Vexir
