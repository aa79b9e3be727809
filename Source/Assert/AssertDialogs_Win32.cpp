// The assert dialogs on Windows: templates 101 and 102 of the library's own
// resources, run modally on the asserting thread.
#include <windows.h>

#include <dbghelp.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include <Vexir/Assert.h>

#include "Assert/AssertDialogIds.h"
#include "Assert/AssertDialogText.h"
#include "Foundation/LenientText_Win32.h"
#include "Foundation/LibraryModule_Win32.h"

namespace Vexir {

namespace {

using namespace assertdialog;

const int kBasicDialog = 101;
const int kAdvancedDialog = 102;

AssertDialogData& DataOf(HWND dialog)
{
    return *reinterpret_cast<AssertDialogData*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

void SetField(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextW(dialog, id, LenientWide(text).c_str());
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

// A multi-line edit takes every key for itself, and answers Escape by
// closing its dialog, which here would mean Ignore Always. These are
// read-only: Escape and Return go to the dialog instead, where Escape does
// nothing and Return presses the default button.
std::atomic<WNDPROC> g_editProc{nullptr};  // the same for every edit control

LRESULT CALLBACK ReadOnlyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcW(g_editProc, edit, message, wParam, lParam);
    return message == WM_GETDLGCODE ? (result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS)) : result;
}

void LeaveKeysToTheDialog(HWND dialog, int id)
{
    const LONG_PTR previous =
        SetWindowLongPtrW(GetDlgItem(dialog, id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReadOnlyEditProc));
    if (previous && previous != reinterpret_cast<LONG_PTR>(&ReadOnlyEditProc))
        g_editProc = reinterpret_cast<WNDPROC>(previous);
}

// Puts `block` on the clipboard as `format`, or frees it.
void Place(UINT format, HGLOBAL block)
{
    if (!SetClipboardData(format, block))
        GlobalFree(block);
}

HGLOBAL Block(const void* bytes, std::size_t count, std::size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size);
    if (!block)
        return nullptr;
    if (void* at = GlobalLock(block)) {
        std::memcpy(at, bytes, count);
        GlobalUnlock(block);
        return block;
    }
    GlobalFree(block);
    return nullptr;
}

// Plain text with "\n" line ends, in the clipboard's ANSI text format, and
// as Unicode text for programs that paste that (the bytes are UTF-8, which
// the ANSI form shows right only for ASCII). The clipboard is opened for the
// dialog and closed on every path; a failure shows nothing.
void CopyTextToClipboard(HWND dialog, const std::string& text, std::size_t slack)
{
    if (!OpenClipboard(dialog))
        return;
    HGLOBAL ansi = Block(text.c_str(), text.size() + 1, text.size() + slack);
    const std::wstring wide = LenientWide(text);
    HGLOBAL unicode = Block(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t), (wide.size() + 1) * sizeof(wchar_t));
    if (ansi && EmptyClipboard()) {
        Place(CF_TEXT, ansi);
        if (unicode)
            Place(CF_UNICODETEXT, unicode);
    } else {
        for (HGLOBAL block : {ansi, unicode})
            if (block)
                GlobalFree(block);
    }
    CloseClipboard();
}

// The dump file itself, as a file manager pastes it: a file-drop list with
// the path in UTF-16.
void CopyFileToClipboard(HWND dialog, const std::string& path)
{
    if (!OpenClipboard(dialog))
        return;
    const std::wstring wide = LenientWide(path);
    const std::size_t size = sizeof(DROPFILES) + 2 * wide.size() + 25;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size)) {
        auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
        if (drop) {
            drop->pFiles = sizeof(DROPFILES);
            drop->fWide = TRUE;
            std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), wide.c_str(),
                        wide.size() * sizeof(wchar_t));
            GlobalUnlock(block);
        }
        if (!drop || !EmptyClipboard() || !SetClipboardData(CF_HDROP, block))
            GlobalFree(block);
    }
    CloseClipboard();
}

INT_PTR CALLBACK BasicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        SetField(dialog, kBasicText, BuildAssertText(DataOf(dialog), true));
        LeaveKeysToTheDialog(dialog, kBasicText);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, IgnoreAlways);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kIgnoreButton:
            EndDialog(dialog, Ignore);
            return FALSE;
        case kIgnoreAlwaysButton:
            EndDialog(dialog, IgnoreAlways);
            return FALSE;
        case kDebugButton:
            EndDialog(dialog, Break);
            return FALSE;
        case kCopyText:
            CopyTextToClipboard(dialog, BuildAssertText(DataOf(dialog), false), 2);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void CreateMinidump(HWND dialog)
{
    AssertThreadInfo& info = *DataOf(dialog).threadInfo;
    info.minidump.clear();
    WriteMinidump(info, IsDlgButtonChecked(dialog, kFullDump) == BST_CHECKED);
    SetField(dialog, kMinidumpField, info.minidump);
    EnableWindow(GetDlgItem(dialog, kCopyMinidump), info.minidumpCreated);
}

INT_PTR CALLBACK AdvancedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        const AssertDialogData& data = DataOf(dialog);
        SetWindowTextW(dialog, L"");
        // A multi-line control breaks lines only at "\r\n".
        SetField(dialog, kDescriptionField, ToCrLf(OrEmpty(data.message)));
        SetField(dialog, kExpressionField, OrEmpty(data.expression));
        SetField(dialog, kFileField, OrEmpty(data.file));
        SetDlgItemInt(dialog, kLineField, static_cast<UINT>(data.line), TRUE);
        SetField(dialog, kCallStackField, kCollectingCallStack);
        SetField(dialog, kCallStackField, ToCrLf(data.threadInfo->callStack));
        LeaveKeysToTheDialog(dialog, kDescriptionField);
        LeaveKeysToTheDialog(dialog, kCallStackField);
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(dialog, IgnoreAlways);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kIgnoreButton:
            EndDialog(dialog, Ignore);
            break;
        case kIgnoreAlwaysButton:
            EndDialog(dialog, IgnoreAlways);
            break;
        case kDebugButton:
            EndDialog(dialog, Break);
            break;
        case kCreateMinidump:
            CreateMinidump(dialog);
            break;
        case kCopyText:
            CopyTextToClipboard(dialog, AdvancedCopyText(DataOf(dialog)), 8);
            break;
        case kCopyMinidump:
            if (DataOf(dialog).threadInfo->minidumpCreated)
                CopyFileToClipboard(dialog, DataOf(dialog).threadInfo->minidump);
            break;
        default:
            break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Tells what the debug-help library is; no stack is walked on 64-bit
// Windows. True when it ran to its end.
bool ShowStack(HANDLE thread, std::string& text)
{
    char line[1024];
    HMODULE library = LoadLibraryA("imagehlp.dll");
    if (!library) {
        std::snprintf(line, sizeof line, "LoadLibrary( \"imagehlp.dll\" ) failed: GetLastError() = %lu\n",
                      GetLastError());
        text += line;
        return false;
    }
    static const char* const kFunctions[] = {
        "SymCleanup",       "SymFunctionTableAccess", "SymGetLineFromAddr", "SymGetModuleBase",
        "SymGetModuleInfo", "SymGetOptions",          "SymGetSymFromAddr",  "SymInitialize",
        "SymSetOptions",    "StackWalk",              "UnDecorateSymbolName", "SymLoadModule",
        "ImagehlpApiVersion",
    };
    bool found = true;
    for (const char* name : kFunctions)
        if (!GetProcAddress(library, name) && std::strcmp(name, "SymGetLineFromAddr") != 0)
            found = false;
    if (!found) {
        text += "GetProcAddress(): some required function not found.";
        FreeLibrary(library);
        return false;
    }
    char location[1024] = {};
    GetModuleFileNameA(library, location, sizeof location);
    text += "DbgHelp.dll information\nDLL location:";
    text += location;
    using VersionFunction = LPAPI_VERSION(WINAPI*)();
    auto version = reinterpret_cast<VersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "ImagehlpApiVersion")));
    const LPAPI_VERSION api = version();
    std::snprintf(line, sizeof line, "\nAPI version: %d.%d.%d\n\n", api->MajorVersion, api->MinorVersion,
                  api->Revision);
    text += line;
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_FULL;
    if (GetThreadContext(thread, &context)) {
        text += "Sorry, ShowStack is not supported in 64 bit OS yet.";
    } else {
        std::snprintf(line, sizeof line, "GetThreadContext() failed: GetLastError() = %lu\n", GetLastError());
        text += line;
    }
    FreeLibrary(library);
    return true;
}

// Shared by the asserting thread and the collector; the last to let go
// frees it, so a collector that runs late finds it still there.
struct CallStackJob {
    HANDLE thread = nullptr;  // the asserting thread, duplicated by itself
    AssertThreadInfo info;
    LONG owners = 2;
    LONG abandoned = 0;  // the asserting thread went on without it
};

void Release(CallStackJob* job)
{
    if (InterlockedDecrement(&job->owners) != 0)
        return;
    if (job->thread)
        CloseHandle(job->thread);
    delete job;
}

DWORD WINAPI CollectCallStack(void* parameter)
{
    auto* job = static_cast<CallStackJob*>(parameter);
    if (InterlockedCompareExchange(&job->abandoned, 0, 0) == 0) {
        AssertThreadInfo& info = job->info;
        const bool suspended = SuspendThread(job->thread) != static_cast<DWORD>(-1);
        if (!suspended) {
            info.callStack += "could not suspend the caller thread error=" + std::to_string(GetLastError()) +
                              "\ndebug info will be collected with no suspension\n";
        }
        if (ShowStack(job->thread, info.callStack))
            info.callStackCollected = true;
        if (suspended)
            ResumeThread(job->thread);
    }
    Release(job);
    return 0;
}

// A collector that has not started by then never will: an assertion inside
// a DLL's entry point (the library's own unload included) holds the loader
// lock that a new thread waits for.
const DWORD kCollectorWait = 10000;

}  // namespace

int AssertHandler_BasicWin::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    AssertDialogData data = SiteData(expression, line, file, message);
    return static_cast<int>(DialogBoxParamW(LibraryModule(), MAKEINTRESOURCEW(kBasicDialog), _hParent,
                                            &BasicDialogProc, reinterpret_cast<LPARAM>(&data)));
}

int AssertHandler_AdvancedWin::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    AssertThreadInfo info;
    AssertDialogData data = SiteData(expression, line, file, message);
    data.threadInfo = &info;
    data.parent = _hParent;
    auto* job = new CallStackJob;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &job->thread, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    if (HANDLE collector = CreateThread(nullptr, 0, &CollectCallStack, job, 0, nullptr)) {
        if (WaitForSingleObject(collector, kCollectorWait) == WAIT_OBJECT_0)
            info = job->info;
        else
            InterlockedExchange(&job->abandoned, 1);
        CloseHandle(collector);
    } else {
        InterlockedDecrement(&job->owners);  // no collector to let go
    }
    Release(job);
    const INT_PTR answer = DialogBoxParamW(LibraryModule(), MAKEINTRESOURCEW(kAdvancedDialog), nullptr,
                                           &AdvancedDialogProc, reinterpret_cast<LPARAM>(&data));
    return static_cast<int>(answer);
}

}  // namespace Vexir
