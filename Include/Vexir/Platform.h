/// @file
/// Platform-neutral names for the few operating-system handles that cross the
/// library's interface.
#pragma once

#include <Vexir/VexirExport.h>

// Declared only: on Windows this is the type behind HWND (see
// NativeWindowHandle), so <windows.h> is not needed here.
struct HWND__;

namespace Vexir {

/// A window handle. On Windows this is the window system's own HWND type, so
/// an HWND passes unchanged; elsewhere it is an opaque pointer of the same
/// width, which on Linux carries an X11 window id cast to it.
using NativeWindowHandle = ::HWND__*;

/// The wait time that never runs out, for every timeout in milliseconds.
/// Timeouts are 32-bit on Windows; on Linux `unsigned long` is wider and any
/// value at or above this one also waits for ever.
constexpr unsigned long kInfinite = 0xFFFFFFFFul;

}  // namespace Vexir
