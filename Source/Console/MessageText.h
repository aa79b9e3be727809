// One formatted message. Texts shorter than the inline buffer need no heap
// memory; longer ones are formatted again into a string of the exact size.
#pragma once

#include <cstdarg>
#include <string>

namespace Vexir {

class MessageText {
public:
    MessageText() : _pText(_aInline) { _aInline[0] = '\0'; }
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
    std::string _sHeap;
    const char* _pText;
};

}  // namespace Vexir
