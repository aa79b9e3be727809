#include <windows.h>

#include <intrin.h>
#include <stdlib.h>

#include "Assert/AssertPlatform.h"

namespace Vexir {

void TriggerDebugBreak() { __debugbreak(); }

bool DebuggerAttached() { return IsDebuggerPresent() != FALSE; }

void InstallPureCallHook() { _set_purecall_handler(&PureCallHandler); }

}  // namespace Vexir
