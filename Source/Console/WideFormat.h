// Wide printf formats, with the conventions of the platform's C runtime: what
// a host's own wide printf would make of the same format and arguments.
//
// Windows: the Windows C runtime's, where %s and %c take wide arguments and %S,
// %C, %hs and %hc narrow ones. Linux: the C library's, where %s takes a narrow
// string, here always read as UTF-8 (the library's text convention) whatever
// the host's locale, and %ls a wide one.
#pragma once

#include <cstdarg>
#include <string>

namespace Vexir {

// False when the format and its arguments cannot be formatted (an argument
// that is not valid text, or a text beyond any sensible length).
bool FormatWideMessage(std::wstring& text, const wchar_t* format, va_list args);

// Gives back what formatting keeps between messages; called once the console
// manager is closed, so that unloading the library leaves nothing behind.
void ReleaseWideFormatting();

}  // namespace Vexir
