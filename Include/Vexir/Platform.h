/// @file
/// Platform-neutral names for the few operating-system handles that cross the
/// library's interface.
#pragma once

#include <Vexir/VexirExport.h>

/// Marks a printf-style function for the compiler's format checking, so that
/// `PrintInfo("%s", 42)` is a warning (an error with -Werror=format) instead of
/// a crash. The two indices count the parameters from 1, the hidden `this`
/// of a member function included. MinGW checks against the C99 conversions
/// the library formats with, not the system runtime's.
#if defined(__MINGW32__) && !defined(__clang__)
#define VEXIR_PRINTF(formatIndex, firstIndex) __attribute__((format(gnu_printf, formatIndex, firstIndex)))
#elif defined(__GNUC__)
#define VEXIR_PRINTF(formatIndex, firstIndex) __attribute__((format(printf, formatIndex, firstIndex)))
#else
#define VEXIR_PRINTF(formatIndex, firstIndex)
#endif

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
