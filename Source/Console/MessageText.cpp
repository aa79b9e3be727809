#include "Console/MessageText.h"

#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "Console/WideFormat.h"

namespace Vexir {

namespace {

// What the consoles get for a message that cannot be formatted: its format,
// so the message is not lost, and a mark that says why it reads so.
const char kUnformattableMark[] = " [message could not be formatted]";

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
    std::wstring wide;
    std::string text;
    try {
        if (FormatWideMessage(wide, format, args)) {
            text = utf8util::Utf16ToUtf8(wide);
        } else {
            text = utf8util::Utf16ToUtf8(format ? format : L"");
            text += kUnformattableMark;
        }
    } catch (const utf8util::utf8_conversion_error&) {
        // Not even the format is text (a lone surrogate): only the mark is left.
        text = kUnformattableMark + 1;
    }
    _tText.Clear();
    _tText.Append(text.data(), text.size());
    _pText = _tText.Finish();
}

}  // namespace Vexir
