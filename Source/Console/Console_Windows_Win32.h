// Console_Windows: shows the messages in a top-level window holding a
// read-only rich-edit control, one colour and weight per level, with menus to
// save, clear, copy and select the text and to set the manager's threshold.
//
// The window belongs to the thread that first opens it, which must run a
// message loop. Messages logged on other threads are queued and handed to it
// with WM_DRAIN_QUEUE; those logged before the window was ever opened are kept
// (the newest kQueueLimit bytes of them) and shown when it first opens.
// Messages written while it is closed are dropped. A line that is not UTF-8
// throws utf8_conversion_error on the owner thread; drained from the queue, it
// is dropped. The console creates no thread of its own.
#pragma once

#include <Vexir/Console.h>

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace Vexir {

class Console_Windows : public IConsole {
public:
    enum ConsolePlacement : unsigned { Centred = 0, LeftOf = 1, RightOf = 2, Below = 3, Above = 4 };
    static const UINT WM_DRAIN_QUEUE = WM_USER + 1;
    static const int kWidth = 640;
    static const int kHeight = 300;
    static const std::size_t kQueueLimit = 8u << 20;

    explicit Console_Windows(IMgrConsole* manager);
    ~Console_Windows() override;
    Console_Windows(const Console_Windows&) = delete;
    Console_Windows& operator=(const Console_Windows&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

    // The window's top-left corner for a placement code, relative to the
    // parent's window rectangle; never negative.
    static POINT PlacementPosition(const RECT& parent, unsigned placement);

private:
    struct QueuedMessage {
        std::string text;
        MessageKind kind;
        VerbosityLevel level;
    };

    class MessageQueue {
    public:
        void Push(QueuedMessage message);
        bool Pop(QueuedMessage& message);

    private:
        std::mutex _mLock;
        std::deque<QueuedMessage> _dMessages;
        std::size_t _uBytes = 0;
    };

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

    bool Open();
    bool CreateRichEdit();
    bool OnOwnerThread() const { return _uOwnerThread != 0 && GetCurrentThreadId() == _uOwnerThread; }
    // Both on the owner thread.
    void DrainQueue();
    void Write(MessageKind kind, VerbosityLevel level, const std::string& text);
    void SavePlacement();
    void CloseWindow();
    void BuildMenus(HWND window);
    void RefreshVerbosityMarks();
    void SaveAs();
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    IMgrConsole* _pManager;
    UIInterface* _pUIInterface;
    std::atomic<HWND> _hWnd;
    HWND _hParent;
    HWND _hRichEdit;
    HMODULE _hRichEditLibrary;
    HFONT _hStockFont;
    HBRUSH _hBrush;
    std::atomic<bool> _bOpen;
    int _iDepth;
    unsigned _uPlacement;
    std::string _sTitle;
    MessageQueue* _pQueue;
    std::atomic<DWORD> _uOwnerThread;
};

}  // namespace Vexir
