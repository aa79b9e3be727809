// What the operating system does for the assert manager.
#pragma once

namespace Vexir {

// The processor's breakpoint trap: a debugger stops here; without one the
// process gets an unhandled breakpoint (SIGTRAP on Linux).
void TriggerDebugBreak();

// Routes the runtime's pure-virtual-call report to PureCallHandler.
void InstallPureCallHook();

// Reports a pure virtual call through the active assert handler.
void PureCallHandler();

}  // namespace Vexir
