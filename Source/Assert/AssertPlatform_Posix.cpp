#include <signal.h>

#include "Assert/AssertPlatform.h"

namespace Vexir {

void TriggerDebugBreak() { raise(SIGTRAP); }

// The C++ runtime reaches the handler through __cxa_pure_virtual, which the
// library defines; nothing needs installing at load.
void InstallPureCallHook() {}

}  // namespace Vexir
