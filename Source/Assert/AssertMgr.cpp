// The process-wide active assert handler, the built-in handler objects and the
// sequence every assertion site runs.
#include <Vexir/Assert.h>

#include <string>

#include "Assert/AssertPlatform.h"
#include "Foundation/LibraryLifetime.h"
#include "Foundation/StandardStreams.h"

namespace Vexir {

namespace {

// Constant-initialised, so they exist before any code of the library runs,
// and never destroyed, so they still answer while the managers are torn down
// at unload, after the runtime has run the library's static destructors.
Immortal<AssertHandler_Null> s_hNull;
Immortal<AssertHandler_Stdout> s_hStdout;
Immortal<AssertHandler_BasicWin> s_hBasicWin;
Immortal<AssertHandler_AdvancedWin> s_hAdvancedWin;
IAssertHandler* s_pActiveHandler = &s_hStdout.object;

struct PureCallHookAtLoad {
    PureCallHookAtLoad() { InstallPureCallHook(); }
} s_pureCallHookAtLoad;

// The folder a site's file is reported from: the last "Source/" or "Include/".
std::size_t ReportedRootStart(const std::string& path)
{
    std::size_t start = 0;
    for (const char* root : {"/Source/", "/Include/"}) {
        const std::size_t at = path.rfind(root);
        if (at != std::string::npos && at + 1 > start)
            start = at + 1;
    }
    return start;
}

// "/home/me/vexir/Source/Console/MgrConsole.cpp" => "Source/Console/MgrConsole".
std::string SiteFileName(const char* path)
{
    std::string name(path);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    name.erase(0, ReportedRootStart(name));
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    return name;
}

}  // namespace

IAssertHandler::~IAssertHandler() = default;

int AssertHandler_Null::HandleAssert(const char*, int, const char*, const char*) { return Ignore; }

void IAssertHandler_Windows::SetParentWindow(NativeWindowHandle window) { _hParent = window; }

IAssertHandler* GetActiveAssertHandler() { return s_pActiveHandler; }

void SetActiveAssertHandler(IAssertHandler* handler) { s_pActiveHandler = handler; }

bool SetActiveAssertHandler(BuiltinAssertHandlerID id, NativeWindowHandle parent)
{
    switch (id) {
    case BuiltinAssert_Null:
        s_pActiveHandler = &s_hNull.object;
        return true;
    case BuiltinAssert_Stdout:
        s_pActiveHandler = &s_hStdout.object;
        return true;
    case BuiltinAssert_BasicWin:
        s_hBasicWin.object.SetParentWindow(parent);
        s_pActiveHandler = &s_hBasicWin.object;
        return true;
    case BuiltinAssert_AdvancedWin:
        s_hAdvancedWin.object.SetParentWindow(parent);
        s_pActiveHandler = &s_hAdvancedWin.object;
        return true;
    }
    return false;
}

void RaiseAssert(bool& ignoreAlways, const char* expression, int line, const char* file, const char* message)
{
    if (ignoreAlways)
        return;
    const std::string siteFile = file ? SiteFileName(file) : std::string();
    IAssertHandler* handler = GetActiveAssertHandler();
    if (!handler)
        return;
    switch (handler->HandleAssert(expression, line, file ? siteFile.c_str() : nullptr, message)) {
    case Break:
        // Without a debugger the trap would end the host; it goes on instead.
        if (DebuggerAttached()) {
            TriggerDebugBreak();
        } else {
            const std::string note = "Assertion at " + siteFile + ":" + std::to_string(line) +
                                     ": Break asked for, but no debugger is attached; going on\n";
            WriteStandardError(note);
        }
        break;
    case IgnoreAlways:
        ignoreAlways = true;
        break;
    default:
        break;
    }
}

void PureCallHandler()
{
    static bool s_bIgnoreAlways = false;
    RaiseAssert(s_bIgnoreAlways, "0", __LINE__, __FILE__, "System Error: pure virtual call detected!");
}

}  // namespace Vexir
