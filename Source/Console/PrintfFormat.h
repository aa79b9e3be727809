// A printf formatter for the conversions that log messages use most, producing
// exactly what the C library's vsnprintf produces for them, without its cost.
// A directive it does not cover itself (wide strings and characters, %a, %p,
// non-finite floating values, the '#' flag on floating values, the '0' flag on
// %c and %s, null strings, sign flags on unsigned values) is formatted alone by
// the C library's snprintf, so one such directive does not hand the rest of the
// message to the C library (whose MinGW stdio, for one, drops the width of %g
// on whole numbers). It declines the whole message (returns false, having
// consumed part of `args`) only for %n, positional arguments, long double and
// unknown conversions; the caller then formats it all with vsnprintf. `args`
// itself is not consumed.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace Vexir {

// Where formatted text goes: a caller-owned buffer, then the heap when it is full.
class TextSink {
public:
    TextSink(char* buffer, std::size_t capacity);
    ~TextSink();
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    void Append(const char* text, std::size_t length);
    void AppendRepeated(char c, std::size_t count);
    // Appends `count` bytes for the caller to fill and returns where they start;
    // one more byte stays free behind them for a terminator.
    char* Extend(std::size_t count);
    void Clear() { _uLength = 0; }
    // Terminates the text and returns it.
    const char* Finish();

private:
    void Grow(std::size_t needed);

    char* _pData;
    std::size_t _uLength;
    std::size_t _uCapacity;
    char* _pInline;
};

bool FormatPrintf(TextSink& sink, const char* format, va_list args);

}  // namespace Vexir
