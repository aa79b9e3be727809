#include "Console/Console_Windows_Win32.h"

#include <Vexir/Assert.h>
#include <Vexir/Utf8Util.h>

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "Console/WindowConsole.h"
#include "Foundation/LibraryModule_Win32.h"

namespace Vexir {

namespace {

const wchar_t kClassName[] = L"VEXIR_DCONSOLE_WND_CLASS";
const DWORD kWindowStyle = 0x80CF0000;     // pop-up, overlapped window
const DWORD kRichEditStyle = 0x5030C904;   // child, visible, both scroll bars, multi-line, read-only, ...
const UINT kTimeoutMs = 2000;

enum Command : UINT {
    CloseConsole = 9001,
    SaveAsCommand = 9003,
    VerbositySilent = 9005,  // to 9010, one per level
    VerbosityDebug = 9010,
    CopyCommand = 9013,
    ClearCommand = 9014,
    SelectAllCommand = 9015,
};

// Where the last console window was when it closed; a reopened one goes there.
WINDOWPLACEMENT g_savedPlacement = {};
bool g_placementSaved = false;

std::wstring Wide(const std::string& text) { return utf8util::Utf8ToUtf16(text); }

// The title as the window gets it: at most 254 units and a terminator.
void TitleBuffer(const std::string& title, wchar_t (&buffer)[255])
{
    const std::wstring wide = Wide(title);
    const std::size_t length = std::min<std::size_t>(wide.size(), 254);
    std::copy(wide.begin(), wide.begin() + length, buffer);
    buffer[length] = L'\0';
}

bool RegisterWindowClass(WNDPROC procedure, const std::string& title)
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
        if (!registered)
            MessageBoxW(nullptr, L"Error registering console window class", Wide(title).c_str(), MB_OK | MB_ICONERROR);
    });
    return registered;
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

COLORREF LevelColour(int level)
{
    switch (level) {
    case IConsole::Error: return RGB(200, 0, 0);
    case IConsole::Warning: return RGB(200, 0, 255);
    case IConsole::Debug: return RGB(120, 120, 120);
    default: return RGB(0, 0, 0);
    }
}

bool LevelIsBold(int level) { return level >= IConsole::Error && level <= IConsole::Info; }

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

}  // namespace

IConsole* CreateWindowConsole(IMgrConsole* manager) { return new Console_Windows(manager); }

POINT Console_Windows::PlacementPosition(const RECT& parent, unsigned placement)
{
    const long width = parent.right - parent.left;
    const long height = parent.bottom - parent.top;
    POINT at = {parent.left, parent.top};
    switch (placement) {
    case Centred:
        at.x = std::max<long>(parent.left + (width - kWidth) / 2, parent.left);
        at.y = std::max<long>(parent.top + (height - kHeight) / 2, parent.top);
        break;
    case LeftOf:
        at.x = parent.left - kWidth;
        break;
    case RightOf:
        at.x = parent.right;
        break;
    case Below:
        at.y = parent.bottom;
        break;
    case Above:
        at.y = parent.top - kHeight;
        break;
    default:
        break;
    }
    at.x = std::max<long>(at.x, 0);
    at.y = std::max<long>(at.y, 0);
    return at;
}

void Console_Windows::MessageQueue::Push(QueuedMessage message)
{
    std::lock_guard<std::mutex> hold(_mLock);
    _uBytes += message.text.size();
    _dMessages.push_back(std::move(message));
    // Bounded: a window that never opens, or an owner that stopped pumping,
    // keeps the newest messages only.
    while (_uBytes > kQueueLimit && !_dMessages.empty()) {
        _uBytes -= _dMessages.front().text.size();
        _dMessages.pop_front();
    }
}

bool Console_Windows::MessageQueue::Pop(QueuedMessage& message)
{
    std::lock_guard<std::mutex> hold(_mLock);
    if (_dMessages.empty())
        return false;
    message = std::move(_dMessages.front());
    _dMessages.pop_front();
    _uBytes -= message.text.size();
    return true;
}

Console_Windows::Console_Windows(IMgrConsole* manager)
    : _pManager(manager),
      _pUIInterface(new (std::nothrow) UIInterface(this)),
      _hWnd(nullptr),
      _hParent(nullptr),
      _hRichEdit(nullptr),
      _hRichEditLibrary(LoadLibraryW(L"RICHED20.DLL")),
      _hStockFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
      _hBrush(GetSysColorBrush(COLOR_WINDOW)),
      _bOpen(false),
      _iDepth(0),
      _uPlacement(Centred),
      _sTitle("Parvon SDK Console"),
      _pQueue(new MessageQueue),
      _uOwnerThread(0)
{
    CORE_ASSERT_MSG(_pUIInterface, "Failed to create Console_Windows::UIInterface");
    if (!_hRichEditLibrary)
        MessageBoxW(nullptr, L"Unable to load the Rich Edit control 'riched20.dll' ", L"Vexir Console",
                    MB_OK | MB_ICONWARNING);
}

Console_Windows::~Console_Windows()
{
    delete _pQueue;
    _pQueue = nullptr;
    bool windowGone = true;
    if (HWND window = _hWnd.load()) {
        SavePlacement();
        // The window must not reach this console again, whichever thread
        // ends it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (OnOwnerThread())
            DestroyWindow(window);
        else
            windowGone = !PostMessageW(window, WM_CLOSE, 0, 0) && !IsWindow(window);
        _hWnd = nullptr;
    }
    // The control's code stays while another thread may still show it.
    if (_hRichEditLibrary && windowGone)
        FreeLibrary(_hRichEditLibrary);
    delete _pUIInterface;
}

InterfaceBase* Console_Windows::GetInterface(int type) { return type == InterfaceBase::UI ? _pUIInterface : nullptr; }

bool Console_Windows::UIInterface::Show(NativeWindowHandle parent, unsigned placement)
{
    _pConsole->_hParent = static_cast<HWND>(parent);
    _pConsole->_uPlacement = placement;
    return _pConsole->Open();
}

bool Console_Windows::UIInterface::SetPlacement(unsigned placement)
{
    HWND window = _pConsole->_hWnd;
    if (!_pConsole->_bOpen || !window)
        return false;
    _pConsole->_uPlacement = _pConsole->_hParent ? placement : Centred;
    RECT parent;
    GetWindowRect(_pConsole->_hParent ? _pConsole->_hParent : GetDesktopWindow(), &parent);
    const POINT at = PlacementPosition(parent, _pConsole->_uPlacement);
    const UINT asynchronous = _pConsole->OnOwnerThread() ? 0 : SWP_ASYNCWINDOWPOS;
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | asynchronous);
    return true;
}

bool Console_Windows::UIInterface::SetTitle(const std::string& title)
{
    _pConsole->_sTitle = title;
    HWND window = _pConsole->_hWnd;
    if (!window)
        return false;
    wchar_t buffer[255];
    TitleBuffer(title, buffer);
    LRESULT set = FALSE;
    return Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(buffer), &set) && set;
}

bool Console_Windows::UIInterface::Close()
{
    _pConsole->CloseWindow();
    return true;
}

void Console_Windows::SavePlacement()
{
    HWND window = _hWnd;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (window && GetWindowPlacement(window, &placement)) {
        g_savedPlacement = placement;
        g_placementSaved = true;
    }
}

void Console_Windows::CloseWindow()
{
    HWND window = _hWnd;
    if (!window)
        return;
    if (OnOwnerThread()) {
        SavePlacement();
        DestroyWindow(window);
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);  // the owner saves and destroys it
    }
}

bool Console_Windows::Open()
{
    if (_bOpen)
        return true;
    if (!LibraryModule())
        return false;
    HWND parent = _hParent ? _hParent : GetDesktopWindow();
    if (!_hParent)
        _uPlacement = Centred;
    if (!RegisterWindowClass(&WindowProcedure, _sTitle))
        return false;

    RECT parentRect;
    GetWindowRect(parent, &parentRect);
    const POINT at = PlacementPosition(parentRect, _uPlacement);
    wchar_t title[255];
    TitleBuffer(_sTitle, title);
    HWND window = CreateWindowExW(0, kClassName, title, kWindowStyle, at.x, at.y, kWidth, kHeight, parent, nullptr,
                                  LibraryModule(), this);
    if (!window) {
        MessageBoxW(nullptr, L"Error creating console window", Wide(_sTitle).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    _hWnd = window;
    if (!CreateRichEdit()) {
        MessageBoxW(nullptr, L"Error creating rich edit control", Wide(_sTitle).c_str(), MB_OK | MB_ICONERROR);
        DestroyWindow(window);
        return false;
    }
    if (g_placementSaved)
        SetWindowPlacement(window, &g_savedPlacement);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    _bOpen = true;
    if (_uOwnerThread == 0) {
        _uOwnerThread = GetCurrentThreadId();
        DrainQueue();  // what was logged before the window ever opened
    }
    return true;
}

bool Console_Windows::CreateRichEdit()
{
    RECT client;
    GetClientRect(_hWnd, &client);
    _hRichEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", kRichEditStyle, 0, 0, client.right,
                                 client.bottom, _hWnd, nullptr, LibraryModule(), nullptr);
    if (!_hRichEdit)
        return false;
    HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"");
    SendMessageW(_hRichEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    DeleteObject(font);
    SendMessageW(_hRichEdit, EM_SETBKGNDCOLOR, 0, RGB(200, 200, 200));
    return true;
}

void Console_Windows::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    const std::string line = text ? text : "";
    if (OnOwnerThread()) {
        DrainQueue();
        Write(kind, level, line);
        return;
    }
    // Once the window has an owner, a message for a closed window is dropped;
    // before it ever opened, it waits for the first opening.
    HWND window = _hWnd;
    if (_uOwnerThread != 0 && !window)
        return;
    _pQueue->Push(QueuedMessage{line, kind, level});
    if (window)
        PostMessageW(window, WM_DRAIN_QUEUE, 0, 0);
}

void Console_Windows::DrainQueue()
{
    QueuedMessage message;
    while (_pQueue && _pQueue->Pop(message)) {
        try {
            Write(message.kind, message.level, message.text);
        } catch (const utf8util::utf8_conversion_error&) {
            // Nobody is there to hear it: that line is dropped.
        }
    }
}

void Console_Windows::Write(MessageKind kind, VerbosityLevel level, const std::string& text)
{
    if (!_bOpen)
        return;
    IMgrConsole* manager = GetMgrConsole();
    if (!manager) {
        CORE_ASSERT_MSG(manager != NULL, "Can't get MgrConsole pointer");
        return;
    }
    if (static_cast<int>(level) > static_cast<int>(manager->GetVerbosity()))
        return;
    std::string line(static_cast<std::size_t>(_iDepth) * 4, ' ');
    line += text;
    if (kind == BlockBegin || kind == BlockEnd)
        line += '\n';
    if (kind == BlockBegin)
        ++_iDepth;
    else if (kind == BlockEnd && _iDepth > 0)
        --_iDepth;
    // Converted before the control is touched: a line that is not UTF-8
    // leaves the window as it was.
    const std::wstring wide = Wide(line);

    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD;
    format.dwEffects = LevelIsBold(level) ? CFE_BOLD : 0;
    format.crTextColor = LevelColour(level);

    GETTEXTLENGTHEX lengthQuery = {};
    lengthQuery.flags = GTL_NUMCHARS | GTL_PRECISE;
    lengthQuery.codepage = 1200;
    LRESULT length = 0;
    POINT scroll = {};
    CHARRANGE saved = {};
    CHARRANGE end = {};
    if (!Ask(_hRichEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0, &length) ||
        !Ask(_hRichEdit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll)) ||
        !Ask(_hRichEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved)))
        return;
    end.cpMin = end.cpMax = static_cast<LONG>(length);
    if (!Ask(_hRichEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end)) ||
        !Ask(_hRichEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) ||
        !Ask(_hRichEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str())))
        return;
    if (saved.cpMin == static_cast<LONG>(length)) {
        Ask(_hRichEdit, EM_SCROLLCARET, 0, 0);  // the view follows the new text
    } else {
        Ask(_hRichEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));  // the reader's place stays
        Ask(_hRichEdit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    }
}

void Console_Windows::BuildMenus(HWND window)
{
    HMENU verbosity = CreatePopupMenu();
    const wchar_t* const levels[] = {L"&Silent", L"&Error", L"&Warning", L"&Info", L"&Verbose", L"&Debug"};
    for (UINT i = 0; i < 6; ++i)
        AppendMenuW(verbosity, MF_STRING, VerbositySilent + i, levels[i]);
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, SaveAsCommand, L"Save As...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(verbosity), L"&Verbosity");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, CloseConsole, L"&Close Console");
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, ClearCommand, L"C&lear");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(edit, MF_STRING, CopyCommand, L"&Copy");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(edit, MF_STRING, SelectAllCommand, L"Select &All");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    SetMenu(window, bar);
}

void Console_Windows::RefreshVerbosityMarks()
{
    HMENU verbosity = GetSubMenu(GetSubMenu(GetMenu(_hWnd), 0), 2);
    IMgrConsole* manager = GetMgrConsole();
    if (verbosity && manager)
        CheckMenuRadioItem(verbosity, VerbositySilent, VerbosityDebug,
                           VerbositySilent + static_cast<UINT>(manager->GetVerbosity()), MF_BYCOMMAND);
}

void Console_Windows::SaveAs()
{
    wchar_t name[512] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = _hWnd;
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
    // UTF-8, so that text outside the ANSI code page survives the saving.
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(name);
    stream.pfnCallback = &AppendChunk;
    SendMessageW(_hRichEdit, EM_STREAMOUT, (CP_UTF8 << 16) | SF_USECODEPAGE | SF_TEXT,
                 reinterpret_cast<LPARAM>(&stream));
}

LRESULT Console_Windows::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        BuildMenus(window);
        return 0;
    case WM_COMMAND: {
        const UINT command = LOWORD(wParam);
        if (command == CloseConsole) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        } else if (command == SaveAsCommand) {
            SaveAs();
        } else if (command >= VerbositySilent && command <= VerbosityDebug) {
            if (IMgrConsole* manager = GetMgrConsole())
                manager->SetVerbosity(static_cast<VerbosityLevel>(command - VerbositySilent));
            RefreshVerbosityMarks();
        } else if (command == CopyCommand) {
            SendMessageW(_hRichEdit, WM_COPY, 0, 0);
        } else if (command == ClearCommand) {
            SendMessageW(_hRichEdit, EM_SETREADONLY, FALSE, 0);
            SendMessageW(_hRichEdit, EM_SETSEL, 0, -1);
            SendMessageW(_hRichEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
            SendMessageW(_hRichEdit, EM_SETREADONLY, TRUE, 0);
        } else if (command == SelectAllCommand) {
            SetFocus(_hRichEdit);
            SendMessageW(_hRichEdit, EM_SETSEL, 0, -1);
        } else if (command < CloseConsole || command > SelectAllCommand) {
            break;
        }
        return 0;
    }
    case WM_INITMENU:
        RefreshVerbosityMarks();
        return 0;
    case WM_CLOSE:
        SavePlacement();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        _hWnd = nullptr;
        _hRichEdit = nullptr;
        _bOpen = false;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return 0;
    case WM_SIZE:
        if (_hRichEdit)
            MoveWindow(_hRichEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAIN_QUEUE:
        DrainQueue();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Console_Windows::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Console_Windows* console = nullptr;
    if (message == WM_CREATE)
        console = static_cast<Console_Windows*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    else
        console = reinterpret_cast<Console_Windows*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return console ? console->Handle(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace Vexir
