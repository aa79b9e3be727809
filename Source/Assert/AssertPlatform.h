// What the operating system does for the assert manager.
#pragma once

namespace Vexir {

// The processor's breakpoint trap: a debugger stops here. Called only while a
// debugger is attached: without one the trap would end the process.
void TriggerDebugBreak();

// Whether a debugger is attached to the process now.
bool DebuggerAttached();

// Routes the runtime's pure-virtual-call report to PureCallHandler.
void InstallPureCallHook();

// Reports a pure virtual call through the active assert handler.
void PureCallHandler();

}  // namespace Vexir
