// One formatted message. Texts shorter than the inline buffer need no heap
// memory. The common conversions are formatted here; anything else by the C
// library's vsnprintf, with the same result.
#pragma once

#include <cstdarg>

#include "Console/PrintfFormat.h"

namespace Vexir {

class MessageText {
public:
    MessageText() : _tText(_aInline, kInlineSize), _pText("") {}
    MessageText(const MessageText&) = delete;
    MessageText& operator=(const MessageText&) = delete;

    // A format the C library rejects gives an empty text.
    void Format(const char* format, va_list args);
    // Formats wide, then converts the whole result to UTF-8.
    void FormatWide(const wchar_t* format, va_list args);

    const char* Text() const { return _pText; }

private:
    static const int kInlineSize = 512;

    char _aInline[kInlineSize];
    TextSink _tText;
    const char* _pText;
};

}  // namespace Vexir
