// Windows: the C runtime's own counting formatter and wide printf, which read
// the format with the conventions the host's compiler and runtime use (a wide
// %s), rather than the library's C99 stdio.
#include "Console/WideFormat.h"

#include <stdio.h>
#include <wchar.h>

namespace Vexir {

namespace {

const int kLargestWideText = 1 << 22;

}  // namespace

bool FormatWideMessage(std::wstring& text, const wchar_t* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length < 0 || length > kLargestWideText)
        return false;
    text.assign(static_cast<std::size_t>(length) + 1, L'\0');
    const int written = _vsnwprintf(&text[0], text.size(), format, args);
    if (written != length)
        return false;
    text.resize(static_cast<std::size_t>(length));
    return true;
}

void ReleaseWideFormatting() {}

}  // namespace Vexir
