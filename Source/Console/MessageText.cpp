#include "Console/MessageText.h"

#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace Vexir {

namespace {

// Some C libraries report a full buffer by the length the text needs, others by
// -1 as they do a conversion failure; then the buffer grows until the text fits
// or clearly cannot be formatted.
const std::size_t kLargestWideText = std::size_t(1) << 24;

std::wstring FormatWideText(const wchar_t* format, va_list args)
{
    std::wstring wide(512, L'\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        const int length = std::vswprintf(&wide[0], wide.size(), format, attempt);
        va_end(attempt);
        if (length >= 0 && static_cast<std::size_t>(length) < wide.size()) {
            wide.resize(static_cast<std::size_t>(length));
            return wide;
        }
        if (wide.size() >= kLargestWideText)
            return std::wstring();
        wide.resize(length > 0 ? static_cast<std::size_t>(length) + 1 : wide.size() * 2);
    }
}

}  // namespace

void MessageText::Format(const char* format, va_list args)
{
    _tText.Clear();
    if (!FormatPrintf(_tText, format, args)) {
        _tText.Clear();
        va_list measure;
        va_copy(measure, args);
        const int length = std::vsnprintf(nullptr, 0, format, measure);
        va_end(measure);
        if (length > 0)
            std::vsnprintf(_tText.Extend(static_cast<std::size_t>(length)), static_cast<std::size_t>(length) + 1,
                           format, args);
    }
    _pText = _tText.Finish();
}

void MessageText::FormatWide(const wchar_t* format, va_list args)
{
    const std::string text = utf8util::Utf16ToUtf8(FormatWideText(format, args));
    _tText.Clear();
    _tText.Append(text.data(), text.size());
    _pText = _tText.Finish();
}

}  // namespace Vexir
