#include "Console/MessageText.h"

#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <cwchar>

namespace Vexir {

namespace {

// Some C libraries report a full buffer by the length the text needs, others by
// -1 as they do a conversion failure; then the buffer grows until the text fits
// or clearly cannot be formatted.
const std::size_t kLargestWideText = std::size_t(1) << 24;

}  // namespace

void MessageText::Format(const char* format, va_list args)
{
    va_list retry;
    va_copy(retry, args);
    const int length = std::vsnprintf(_aInline, kInlineSize, format, args);
    if (length < 0) {
        _aInline[0] = '\0';
        _pText = _aInline;
    } else if (length < kInlineSize) {
        _pText = _aInline;
    } else {
        _sHeap.resize(static_cast<std::size_t>(length));
        std::vsnprintf(&_sHeap[0], _sHeap.size() + 1, format, retry);
        _pText = _sHeap.c_str();
    }
    va_end(retry);
}

void MessageText::FormatWide(const wchar_t* format, va_list args)
{
    std::wstring wide(kInlineSize, L'\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        const int length = std::vswprintf(&wide[0], wide.size(), format, attempt);
        va_end(attempt);
        if (length >= 0 && static_cast<std::size_t>(length) < wide.size()) {
            wide.resize(static_cast<std::size_t>(length));
            break;
        }
        if (wide.size() >= kLargestWideText) {
            wide.clear();
            break;
        }
        wide.resize(length > 0 ? static_cast<std::size_t>(length) + 1 : wide.size() * 2);
    }
    _sHeap = utf8util::Utf16ToUtf8(wide);
    _pText = _sHeap.c_str();
}

}  // namespace Vexir
