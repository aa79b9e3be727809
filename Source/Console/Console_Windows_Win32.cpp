#include "Console/Console_Windows_Win32.h"

#include <Vexir/Assert.h>
#include <Vexir/Utf8Util.h>

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>

#include "Console/WindowConsole.h"
#include "Console/WindowConsoleLook.h"
#include "Console/WindowMessageQueue.h"
#include "Foundation/LibraryModule_Win32.h"

namespace Vexir {

using namespace windowconsole;

namespace {

const wchar_t kClassName[] = L"VEXIR_DCONSOLE_WND_CLASS";
const DWORD kWindowStyle = 0x80CF0000;    // pop-up, overlapped window
const DWORD kRichEditStyle = 0x5030C904;  // child, visible, both scroll bars, multi-line, read-only, ...
const UINT kTimeoutMs = 2000;

// Where the last console window was when it closed; a reopened one goes there.
struct SavedPlacement {
    std::mutex lock;
    WINDOWPLACEMENT placement = {};
    bool saved = false;
};
SavedPlacement g_saved;

void SavePlacementOf(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!window || !GetWindowPlacement(window, &placement))
        return;
    std::lock_guard<std::mutex> hold(g_saved.lock);
    g_saved.placement = placement;
    g_saved.saved = true;
}

bool SavedPlacementOf(WINDOWPLACEMENT& placement)
{
    std::lock_guard<std::mutex> hold(g_saved.lock);
    placement = g_saved.placement;
    return g_saved.saved;
}

// The title as the window gets it: at most 254 units, never half a pair.
std::wstring TitleText(const std::string& title)
{
    std::wstring wide = utf8util::Utf8ToUtf16(title);
    if (wide.size() > static_cast<std::size_t>(kTitleUnits)) {
        std::size_t length = kTitleUnits;
        if (wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF)
            --length;
        wide.resize(length);
    }
    return wide;
}

void ShowFailure(const wchar_t* text, const std::wstring& caption)
{
    MessageBoxW(nullptr, text, caption.c_str(), MB_OK | MB_ICONERROR);
}

// A message to the control that gives up only when the control hangs.
bool Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer = nullptr)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kTimeoutMs, &result))
        return false;
    if (answer)
        *answer = static_cast<LRESULT>(result);
    return true;
}

// Appends each chunk the control streams out to the file named by `cookie`.
DWORD CALLBACK AppendChunk(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* written)
{
    *written = 0;
    std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(cookie), L"ab");
    if (!file)
        return 0;  // this chunk is lost; the rest still goes
    *written = static_cast<LONG>(std::fwrite(bytes, 1, static_cast<std::size_t>(count), file));
    std::fclose(file);
    return 0;
}

bool OnThreadOf(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

}  // namespace

// Everything the window works with. Fields that only the window's own thread
// touches are marked so; the rest are guarded by `lock`.
struct Console_Windows::WindowState : std::enable_shared_from_this<Console_Windows::WindowState> {
    std::mutex lock;
    std::mutex openLock;  // one thread at a time opens the window
    std::atomic<DWORD> openingThread{0};
    HWND window = nullptr;
    HWND parent = nullptr;
    unsigned placement = Centred;
    std::string title = kDefaultTitle;
    bool open = false;
    bool everOpened = false;
    bool holderAdopted = false;
    MessageQueue queue;

    // The window's thread only.
    HWND richEdit = nullptr;
    int depth = 0;

    // The window if it still exists. Its thread may have ended, which ends
    // the window without a word to its procedure.
    HWND LiveWindow()
    {
        std::lock_guard<std::mutex> hold(lock);
        if (window && !IsWindow(window)) {
            window = nullptr;
            open = false;
        }
        return window;
    }

    bool OnOwnerThread()
    {
        HWND current = LiveWindow();
        return current && OnThreadOf(current);
    }

    bool Open();
    bool OpenLocked(const wchar_t*& failure, std::wstring& caption);
    bool CreateRichEdit(HWND main);
    void Close(HWND current);
    void DrainQueue(std::size_t limit);
    void Write(MessageKind kind, VerbosityLevel level, const std::string& text);
    void BuildMenus(HWND main);
    void RefreshVerbosityMarks(HWND main);
    void SaveTextAs(HWND main);
    LRESULT Handle(HWND main, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

// The window's own reference to its state, released when the window ends.
struct StateHolder {
    std::shared_ptr<Console_Windows::WindowState> state;
};

// `failedNow` is set only for the attempt that failed, so that its message
// box is shown once.
bool RegisterWindowClass(WNDPROC procedure, bool& failedNow)
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [&] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = LibraryModule();
        windowClass.hIcon = LoadIconW(LibraryModule(), MAKEINTRESOURCEW(108));
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = kClassName;
        registered = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        failedNow = !registered;
    });
    return registered;
}

}  // namespace

IConsole* CreateWindowConsole(IMgrConsole* manager) { return new Console_Windows(manager); }

Console_Windows::Console_Windows(IMgrConsole* manager)
    : _pManager(manager),
      _pUIInterface(new (std::nothrow) UIInterface(this)),
      _hRichEditLibrary(LoadLibraryW(L"RICHED20.DLL")),
      _hStockFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
      _hBrush(GetSysColorBrush(COLOR_WINDOW)),
      _pState(std::make_shared<WindowState>())
{
    CORE_ASSERT_MSG(_pUIInterface, "Failed to create Console_Windows::UIInterface");
    if (!_hRichEditLibrary)
        MessageBoxW(nullptr, L"Unable to load the Rich Edit control 'riched20.dll' ", L"Vexir Console",
                    MB_OK | MB_ICONWARNING);
}

Console_Windows::~Console_Windows()
{
    _pState->queue.Clear();
    bool windowGone = true;
    if (HWND window = _pState->LiveWindow()) {
        SavePlacementOf(window);
        if (OnThreadOf(window)) {
            DestroyWindow(window);
        } else {
            // Its own thread closes it; the state it holds lives until then,
            // and the library, pinned by the first window, stays loaded.
            PostMessageW(window, WM_CLOSE, 0, 0);
            windowGone = false;
        }
    }
    // The control's code stays while another thread may still show it.
    if (_hRichEditLibrary && windowGone)
        FreeLibrary(_hRichEditLibrary);
    delete _pUIInterface;
}

InterfaceBase* Console_Windows::GetInterface(int type) { return type == InterfaceBase::UI ? _pUIInterface : nullptr; }

bool Console_Windows::UIInterface::Show(NativeWindowHandle parent, unsigned placement)
{
    WindowState& state = *_pConsole->_pState;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        state.parent = static_cast<HWND>(parent);
        state.placement = placement;
    }
    return state.Open();
}

bool Console_Windows::UIInterface::SetPlacement(unsigned placement)
{
    WindowState& state = *_pConsole->_pState;
    HWND window = state.LiveWindow();
    HWND parent = nullptr;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        if (!window || !state.open)
            return false;
        if (!state.parent)
            placement = Centred;
        state.placement = placement;
        parent = state.parent;
    }
    RECT rect = {};
    GetWindowRect(parent ? parent : GetDesktopWindow(), &rect);
    const Point at = PlacementPosition(rect.left, rect.top, rect.right, rect.bottom, placement);
    // Another thread's window moves when its thread gets to it; waiting for
    // that could wait for ever.
    const UINT asynchronous = OnThreadOf(window) ? 0 : SWP_ASYNCWINDOWPOS;
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | asynchronous);
    return true;
}

// A title that is not UTF-8 is refused and the stored one kept, so that it
// never reaches the next opening.
bool Console_Windows::UIInterface::SetTitle(const std::string& title)
{
    std::wstring wide;
    try {
        wide = TitleText(title);
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
    WindowState& state = *_pConsole->_pState;
    HWND window = state.LiveWindow();
    {
        std::lock_guard<std::mutex> hold(state.lock);
        state.title = title;
    }
    if (!window)
        return false;
    if (OnThreadOf(window))
        return SetWindowTextW(window, wide.c_str()) != FALSE;
    // The owner takes the title from the state; nothing on this stack is
    // left for it to read after this call returns.
    return PostMessageW(window, WM_APPLY_TITLE, 0, 0) != FALSE;
}

bool Console_Windows::UIInterface::Close()
{
    WindowState& state = *_pConsole->_pState;
    if (HWND window = state.LiveWindow())
        state.Close(window);
    return true;
}

void Console_Windows::WindowState::Close(HWND current)
{
    if (OnThreadOf(current)) {
        SavePlacementOf(current);
        DestroyWindow(current);
    } else {
        PostMessageW(current, WM_CLOSE, 0, 0);  // the owner saves and destroys it
    }
}

// The failure's message box waits for a person: it is shown after the
// opening lock is released, and an opening re-entered from its loop (a
// host's window logging a warning that shows the console) answers false.
bool Console_Windows::WindowState::Open()
{
    if (openingThread == GetCurrentThreadId())
        return false;
    const wchar_t* failure = nullptr;
    std::wstring caption;
    bool opened = false;
    {
        std::lock_guard<std::mutex> opening(openLock);
        openingThread = GetCurrentThreadId();
        opened = OpenLocked(failure, caption);
        openingThread = 0;
    }
    if (failure)
        ShowFailure(failure, caption);
    return opened;
}

bool Console_Windows::WindowState::OpenLocked(const wchar_t*& failure, std::wstring& caption)
{
    if (LiveWindow()) {
        std::lock_guard<std::mutex> hold(lock);
        if (open)
            return true;
    }
    if (!LibraryModule())
        return false;
    HWND parentWindow = nullptr;
    unsigned code = Centred;
    std::string currentTitle;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!parent)
            placement = Centred;
        parentWindow = parent;
        code = placement;
        currentTitle = title;
    }
    caption = TitleText(currentTitle);
    bool failedNow = false;
    if (!RegisterWindowClass(&WindowProcedure, failedNow)) {
        if (failedNow)
            failure = L"Error registering console window class";
        return false;
    }

    RECT parentRect = {};
    GetWindowRect(parentWindow ? parentWindow : GetDesktopWindow(), &parentRect);
    const Point at = PlacementPosition(parentRect.left, parentRect.top, parentRect.right, parentRect.bottom, code);
    auto* holder = new StateHolder{shared_from_this()};
    holderAdopted = false;
    HWND main = CreateWindowExW(0, kClassName, caption.c_str(), kWindowStyle, at.x, at.y, kWidth, kHeight,
                                parentWindow ? parentWindow : GetDesktopWindow(), nullptr, LibraryModule(), holder);
    if (!holderAdopted)
        delete holder;  // the window never took it
    if (!main) {
        failure = L"Error creating console window";
        return false;
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        window = main;
    }
    // The library stays loaded from now on: a window's thread may be inside
    // its window procedure (in a menu, a move, a dialog) whenever the host
    // unloads it.
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&WindowProcedure), &pinned);
    if (!CreateRichEdit(main)) {
        failure = L"Error creating rich edit control";
        DestroyWindow(main);
        return false;
    }
    WINDOWPLACEMENT saved = {};
    if (SavedPlacementOf(saved)) {
        saved.showCmd = SW_HIDE;  // shown below, the way this thread may show it
        SetWindowPlacement(main, &saved);
    }
    // Activating a window whose parent runs on another thread waits for that
    // thread, which may be waiting for this one.
    ShowWindow(main, parentWindow && !OnThreadOf(parentWindow) ? SW_SHOWNA : SW_SHOW);
    UpdateWindow(main);
    {
        std::lock_guard<std::mutex> hold(lock);
        open = true;
        everOpened = true;
    }
    DrainQueue(queue.Size());  // what was logged before the window opened
    return true;
}

bool Console_Windows::WindowState::CreateRichEdit(HWND main)
{
    RECT client;
    GetClientRect(main, &client);
    richEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", kRichEditStyle, 0, 0, client.right, client.bottom,
                               main, nullptr, LibraryModule(), nullptr);
    if (!richEdit)
        return false;
    HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"");
    SendMessageW(richEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    DeleteObject(font);
    SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, RGB(200, 200, 200));
    // The control's default limit is 32,767 characters, which a long render
    // passes within minutes; the oldest lines go at kTextLimit instead.
    SendMessageW(richEdit, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kTextLimit + (1 << 20)));
    return true;
}

void Console_Windows::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    WindowState& state = *_pState;
    std::string line = text ? text : "";
    if (state.OnOwnerThread()) {
        // What other threads logged before this message goes first. More
        // than a batch of it, and this message joins the queue behind it
        // rather than keep every logging thread waiting on this one.
        if (state.queue.Size() <= kDrainBatch) {
            state.DrainQueue(kDrainBatch);
            state.Write(kind, level, line);
            return;
        }
    }
    // Once the window has opened, a message for a closed window is dropped;
    // before it ever opened, it waits for the first opening. Queued under the
    // state's lock, so that an opening on another thread either drains it or
    // is seen here and woken.
    HWND window = state.LiveWindow();
    bool wake = false;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        window = state.window;
        if (state.everOpened && !window)
            return;
        wake = state.queue.Push(QueuedMessage{std::move(line), kind, level});
    }
    if (wake && window && !PostMessageW(window, WM_DRAIN_QUEUE, 0, 0))
        state.queue.WakeFailed();
}

void Console_Windows::WindowState::DrainQueue(std::size_t limit)
{
    queue.BeginDrain();
    QueuedMessage message;
    std::size_t written = 0;
    while (written < limit && queue.Pop(message)) {
        ++written;
        try {
            Write(message.kind, message.level, message.text);
        } catch (const utf8util::utf8_conversion_error&) {
            // Nobody is there to hear it: that line is dropped.
        }
    }
    // The rest after whatever else this thread has to do.
    if (written == limit && queue.Size())
        if (HWND current = LiveWindow())
            PostMessageW(current, WM_DRAIN_QUEUE, 0, 0);
}

void Console_Windows::WindowState::Write(MessageKind kind, VerbosityLevel level, const std::string& text)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!open)
            return;
    }
    IMgrConsole* manager = GetMgrConsole();
    if (!manager) {
        CORE_ASSERT_MSG(manager != NULL, "Can't get MgrConsole pointer");
        return;
    }
    if (static_cast<int>(level) > static_cast<int>(manager->GetVerbosity()))
        return;
    std::string line(static_cast<std::size_t>(depth) * 4, ' ');
    line += text;
    if (kind == BlockBegin || kind == BlockEnd)
        line += '\n';
    // Converted before the depth or the control changes: a line that is not
    // UTF-8 leaves the window as it was.
    const std::wstring wide = utf8util::Utf8ToUtf16(line);
    if (kind == BlockBegin)
        ++depth;
    else if (kind == BlockEnd && depth > 0)
        --depth;

    const LevelLook look = LookOfLevel(level);
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD;
    format.dwEffects = look.bold ? CFE_BOLD : 0;
    format.crTextColor = RGB(look.red, look.green, look.blue);

    GETTEXTLENGTHEX lengthQuery = {};
    lengthQuery.flags = GTL_NUMCHARS | GTL_PRECISE;
    lengthQuery.codepage = 1200;
    LRESULT length = 0;
    POINT scroll = {};
    CHARRANGE saved = {};
    CHARRANGE end = {};
    if (!Ask(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0, &length) ||
        !Ask(richEdit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll)) ||
        !Ask(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved)))
        return;
    const bool follow = saved.cpMin == static_cast<LONG>(length);
    // The oldest lines go once the control holds too much to be read.
    bool trimmed = false;
    if (length > kTextLimit) {
        LRESULT firstKept = 0, cut = 0;
        if (!Ask(richEdit, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(length - kTextKept), &firstKept) ||
            !Ask(richEdit, EM_LINEINDEX, static_cast<WPARAM>(firstKept + 1), 0, &cut))
            return;
        if (cut <= 0)
            cut = length - kTextKept;  // one endless line: cut inside it
        if (cut > 0) {
            CHARRANGE oldest = {0, static_cast<LONG>(cut)};
            if (!Ask(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&oldest)) ||
                !Ask(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"")))
                return;
            length -= cut;
            saved.cpMin = std::max<LONG>(saved.cpMin - static_cast<LONG>(cut), 0);
            saved.cpMax = std::max<LONG>(saved.cpMax - static_cast<LONG>(cut), 0);
            trimmed = true;
        }
    }
    end.cpMin = end.cpMax = static_cast<LONG>(length);
    if (!Ask(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end)) ||
        !Ask(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) ||
        !Ask(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str())))
        return;
    if (follow) {
        Ask(richEdit, EM_SCROLLCARET, 0, 0);  // the view follows the new text
    } else {
        Ask(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));  // the reader's place stays
        if (!trimmed)
            Ask(richEdit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    }
}

void Console_Windows::WindowState::BuildMenus(HWND main)
{
    HMENU verbosity = CreatePopupMenu();
    for (UINT i = 0; i < 6; ++i)
        AppendMenuW(verbosity, MF_STRING, VerbositySilent + i, utf8util::Utf8ToUtf16(kVerbosityLabels[i]).c_str());
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, SaveAs, L"Save As...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(verbosity), L"&Verbosity");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, CloseConsole, L"&Close Console");
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, Clear, L"C&lear");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(edit, MF_STRING, Copy, L"&Copy");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(edit, MF_STRING, SelectAll, L"Select &All");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    SetMenu(main, bar);
}

void Console_Windows::WindowState::RefreshVerbosityMarks(HWND main)
{
    HMENU verbosity = GetSubMenu(GetSubMenu(GetMenu(main), 0), 2);
    IMgrConsole* manager = GetMgrConsole();
    if (verbosity && manager)
        CheckMenuRadioItem(verbosity, VerbositySilent, VerbosityDebug,
                           VerbositySilent + static_cast<UINT>(manager->GetVerbosity()), MF_BYCOMMAND);
}

void Console_Windows::WindowState::SaveTextAs(HWND main)
{
    wchar_t name[512] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = main;
    dialog.lpstrFilter = L"Text File (.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    dialog.lpstrFile = name;
    dialog.nMaxFile = 512;
    dialog.lpstrTitle = L"Save Console Data As....";
    dialog.Flags = 0x806;  // overwrite prompt, hide read-only, path must exist
    dialog.lpstrDefExt = L"*.txt";
    if (!GetSaveFileNameW(&dialog))
        return;
    std::FILE* file = _wfopen(name, L"wt");
    if (!file)
        return;
    std::fclose(file);
    HWND control = richEdit;  // the window may close while the dialog was up
    if (!control)
        return;
    // UTF-8, so that text outside the ANSI code page survives the saving.
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(name);
    stream.pfnCallback = &AppendChunk;
    SendMessageW(control, EM_STREAMOUT, (CP_UTF8 << 16) | SF_USECODEPAGE | SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

LRESULT Console_Windows::WindowState::Handle(HWND main, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CREATE:
            BuildMenus(main);
            return 0;
        case WM_COMMAND: {
            const UINT command = LOWORD(wParam);
            if (command == CloseConsole) {
                PostMessageW(main, WM_CLOSE, 0, 0);
            } else if (command == SaveAs) {
                SaveTextAs(main);
            } else if (command >= VerbositySilent && command <= VerbosityDebug) {
                if (IMgrConsole* manager = GetMgrConsole())
                    manager->SetVerbosity(static_cast<VerbosityLevel>(command - VerbositySilent));
                RefreshVerbosityMarks(main);
            } else if (command == Copy) {
                SendMessageW(richEdit, WM_COPY, 0, 0);
            } else if (command == Clear) {
                SendMessageW(richEdit, EM_SETREADONLY, FALSE, 0);
                SendMessageW(richEdit, EM_SETSEL, 0, -1);
                SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
                SendMessageW(richEdit, EM_SETREADONLY, TRUE, 0);
            } else if (command == SelectAll) {
                SetFocus(richEdit);
                SendMessageW(richEdit, EM_SETSEL, 0, -1);
            } else if (command < CloseConsole || command > SelectAll) {
                break;
            }
            return 0;
        }
        case WM_INITMENU:
            RefreshVerbosityMarks(main);
            return 0;
        case WM_CLOSE:
            SavePlacementOf(main);
            DestroyWindow(main);
            return 0;
        case WM_DESTROY: {
            std::lock_guard<std::mutex> hold(lock);
            if (window == main) {
                window = nullptr;
                open = false;
            }
            richEdit = nullptr;
            return 0;
        }
        case WM_SIZE:
            if (richEdit)
                MoveWindow(richEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DRAIN_QUEUE:
            DrainQueue(kDrainBatch);
            return 0;
        case WM_APPLY_TITLE: {
            std::string current;
            {
                std::lock_guard<std::mutex> hold(lock);
                current = title;
            }
            SetWindowTextW(main, TitleText(current).c_str());
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(main, message, wParam, lParam);
}

// Nothing may unwind into the system's code that called us: an exception here
// (a failed allocation, say) ends the handling of this one message.
LRESULT CALLBACK Console_Windows::WindowState::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_NCCREATE) {
            auto* holder = static_cast<StateHolder*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(holder));
            holder->state->holderAdopted = true;
        }
        auto* holder = reinterpret_cast<StateHolder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!holder)
            return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete holder;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        // Kept for the whole message: a handler may end the window.
        const std::shared_ptr<WindowState> state = holder->state;
        return state->Handle(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace Vexir
