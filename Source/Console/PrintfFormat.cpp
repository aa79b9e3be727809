#include "Console/PrintfFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <type_traits>

namespace Vexir {

TextSink::TextSink(char* buffer, std::size_t capacity)
    : _pData(buffer), _uLength(0), _uCapacity(capacity), _pInline(buffer)
{
}

TextSink::~TextSink()
{
    if (_pData != _pInline)
        std::free(_pData);
}

void TextSink::Grow(std::size_t needed)
{
    std::size_t capacity = _uCapacity * 2;
    while (capacity < needed)
        capacity *= 2;
    char* data = static_cast<char*>(_pData == _pInline ? std::malloc(capacity) : std::realloc(_pData, capacity));
    if (!data)
        throw std::bad_alloc();
    if (_pData == _pInline)
        std::memcpy(data, _pInline, _uLength);
    _pData = data;
    _uCapacity = capacity;
}

void TextSink::Append(const char* text, std::size_t length)
{
    if (length == 0)
        return;
    if (_uLength + length + 1 > _uCapacity)
        Grow(_uLength + length + 1);
    std::memcpy(_pData + _uLength, text, length);
    _uLength += length;
}

void TextSink::AppendRepeated(char c, std::size_t count)
{
    if (_uLength + count + 1 > _uCapacity)
        Grow(_uLength + count + 1);
    std::memset(_pData + _uLength, c, count);
    _uLength += count;
}

char* TextSink::Extend(std::size_t count)
{
    if (_uLength + count + 1 > _uCapacity)
        Grow(_uLength + count + 1);
    char* start = _pData + _uLength;
    _uLength += count;
    return start;
}

const char* TextSink::Finish()
{
    if (_uLength + 1 > _uCapacity)
        Grow(_uLength + 1);
    _pData[_uLength] = '\0';
    return _pData;
}

namespace {

struct Directive {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char length = 0;     // 'H' for hh, 'h', 'l', 'L' for ll, 'z', 'j', 't'
    char conversion = 0;
};

// Parses flags, width, precision and length after a '%'. False for what the
// fast path leaves to the C library.
bool ParseDirective(const char*& cursor, Directive& directive, va_list* args)
{
    for (;; ++cursor) {
        switch (*cursor) {
        case '-': directive.left = true; continue;
        case '+': directive.plus = true; continue;
        case ' ': directive.space = true; continue;
        case '#': directive.alternate = true; continue;
        case '0': directive.zero = true; continue;
        default: break;
        }
        break;
    }
    if (*cursor == '*') {
        const int width = va_arg(*args, int);
        if (width < -100000000 || width > 100000000)
            return false;
        directive.left = directive.left || width < 0;
        directive.width = width < 0 ? -width : width;
        ++cursor;
    } else {
        for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
            if (directive.width > 100000000)
                return false;
            directive.width = directive.width * 10 + (*cursor - '0');
        }
        if (*cursor == '$')
            return false;
    }
    if (*cursor == '.') {
        ++cursor;
        if (*cursor == '*') {
            directive.precision = va_arg(*args, int);
            if (directive.precision > 100000000)
                return false;
            if (directive.precision < 0)
                directive.precision = -1;
            ++cursor;
        } else {
            directive.precision = 0;
            for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
                if (directive.precision > 100000000)
                    return false;
                directive.precision = directive.precision * 10 + (*cursor - '0');
            }
        }
    }
    switch (*cursor) {
    case 'h':
        directive.length = cursor[1] == 'h' ? 'H' : 'h';
        cursor += directive.length == 'H' ? 2 : 1;
        break;
    case 'l':
        directive.length = cursor[1] == 'l' ? 'L' : 'l';
        cursor += directive.length == 'L' ? 2 : 1;
        break;
    case 'z':
    case 'j':
    case 't':
        directive.length = *cursor++;
        break;
    default:
        break;
    }
    directive.conversion = *cursor;
    if (directive.conversion)
        ++cursor;
    return true;
}

// Lays out sign or prefix, padding, the zeros a precision asks for and the body
// within the field width.
void EmitField(TextSink& sink, const Directive& directive, const char* prefix, std::size_t prefixLength, const char* body,
               std::size_t bodyLength, bool zeroPad, std::size_t precisionZeros = 0)
{
    const std::size_t used = prefixLength + precisionZeros + bodyLength;
    const std::size_t pad = static_cast<std::size_t>(directive.width) > used ? directive.width - used : 0;
    if (!directive.left && !zeroPad)
        sink.AppendRepeated(' ', pad);
    sink.Append(prefix, prefixLength);
    if (!directive.left && zeroPad)
        sink.AppendRepeated('0', pad);
    sink.AppendRepeated('0', precisionZeros);
    sink.Append(body, bodyLength);
    if (directive.left)
        sink.AppendRepeated(' ', pad);
}

std::uintmax_t UnsignedArgument(const Directive& directive, va_list* args)
{
    switch (directive.length) {
    case 'H': return static_cast<unsigned char>(va_arg(*args, unsigned));
    case 'h': return static_cast<unsigned short>(va_arg(*args, unsigned));
    case 'l': return va_arg(*args, unsigned long);
    case 'L': return va_arg(*args, unsigned long long);
    case 'z': return va_arg(*args, std::size_t);
    case 'j': return va_arg(*args, std::uintmax_t);
    case 't': return static_cast<std::uintmax_t>(va_arg(*args, std::ptrdiff_t));
    default: return va_arg(*args, unsigned);
    }
}

std::intmax_t SignedArgument(const Directive& directive, va_list* args)
{
    switch (directive.length) {
    case 'H': return static_cast<signed char>(va_arg(*args, int));
    case 'h': return static_cast<short>(va_arg(*args, int));
    case 'l': return va_arg(*args, long);
    case 'L': return va_arg(*args, long long);
    case 'z': return static_cast<std::intmax_t>(static_cast<std::make_signed_t<std::size_t>>(va_arg(*args, std::size_t)));
    case 'j': return va_arg(*args, std::intmax_t);
    case 't': return va_arg(*args, std::ptrdiff_t);
    default: return va_arg(*args, int);
    }
}

void FormatInteger(TextSink& sink, const Directive& directive, va_list* args)
{
    const char conversion = directive.conversion;
    const bool isSigned = conversion == 'd' || conversion == 'i';
    std::uintmax_t magnitude;
    char prefix[2];
    std::size_t prefixLength = 0;
    if (isSigned) {
        const std::intmax_t value = SignedArgument(directive, args);
        magnitude = value < 0 ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
        if (value < 0)
            prefix[prefixLength++] = '-';
        else if (directive.plus)
            prefix[prefixLength++] = '+';
        else if (directive.space)
            prefix[prefixLength++] = ' ';
    } else {
        magnitude = UnsignedArgument(directive, args);
    }

    const int base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    char digits[64];
    char* end = digits + sizeof digits;
    char* start = end;
    const char* alphabet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    for (std::uintmax_t rest = magnitude; rest != 0; rest /= base)
        *--start = alphabet[rest % base];
    const std::size_t minimum = directive.precision < 0 ? 1 : static_cast<std::size_t>(directive.precision);
    const std::size_t count = static_cast<std::size_t>(end - start);
    if (directive.alternate && base == 16 && magnitude != 0) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = conversion;
    }
    EmitField(sink, directive, prefix, prefixLength, start, count, directive.zero && directive.precision < 0,
              minimum > count ? minimum - count : 0);
}

// The C locale's radix character is what the C library writes; anything but
// "." is left to it.
bool DecimalPointIsDot()
{
    const char* point = std::localeconv()->decimal_point;
    return point && point[0] == '.' && point[1] == '\0';
}

bool FormatFloating(TextSink& sink, const Directive& directive, va_list* args)
{
    const double value = va_arg(*args, double);
    if (!std::isfinite(value) || directive.alternate || !DecimalPointIsDot())
        return false;
    const char lower = static_cast<char>(directive.conversion | 0x20);
    const std::chars_format style = lower == 'f'   ? std::chars_format::fixed
                                    : lower == 'e' ? std::chars_format::scientific
                                                   : std::chars_format::general;
    const int precision = directive.precision < 0 ? 6 : directive.precision;
    if (precision > 400 || (style == std::chars_format::fixed && std::fabs(value) >= 1e300))
        return false;

    char text[800];
    const double magnitude = std::signbit(value) ? -value : value;
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, magnitude, style, precision);
    if (result.ec != std::errc())
        return false;
    if (directive.conversion == 'E' || directive.conversion == 'G')
        for (char* c = text; c != result.ptr; ++c)
            if (*c == 'e')
                *c = 'E';
    char sign = 0;
    if (std::signbit(value))
        sign = '-';
    else if (directive.plus)
        sign = '+';
    else if (directive.space)
        sign = ' ';
    EmitField(sink, directive, &sign, sign ? 1 : 0, text, static_cast<std::size_t>(result.ptr - text), directive.zero);
    return true;
}

bool FormatString(TextSink& sink, const Directive& directive, va_list* args)
{
    const char* text = va_arg(*args, const char*);
    if (!text || directive.zero)
        return false;
    const std::size_t length =
        directive.precision < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(directive.precision));
    EmitField(sink, directive, nullptr, 0, text, length, false);
    return true;
}

bool FormatConversion(TextSink& sink, const Directive& directive, va_list* args)
{
    switch (directive.conversion) {
    case 'd': case 'i':
        FormatInteger(sink, directive, args);
        return true;
    case 'u': case 'o': case 'x': case 'X':
        // C libraries disagree on sign flags for unsigned values and on "%#.0o"
        // of zero: those stay with the platform's own.
        if (directive.plus || directive.space || (directive.alternate && directive.conversion == 'o'))
            return false;
        FormatInteger(sink, directive, args);
        return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        return directive.length != 'L' && FormatFloating(sink, directive, args);
    case 's':
        return directive.length == 0 && FormatString(sink, directive, args);
    case 'c': {
        if (directive.length != 0 || directive.zero)
            return false;
        const char c = static_cast<char>(va_arg(*args, int));
        EmitField(sink, directive, nullptr, 0, &c, 1, false);
        return true;
    }
    default:
        return false;
    }
}

// The one directive, with its width and precision as numbers, as a format of
// its own for the C library.
std::string SingleDirective(const Directive& directive)
{
    std::string format = "%";
    if (directive.left)
        format += '-';
    if (directive.plus)
        format += '+';
    if (directive.space)
        format += ' ';
    if (directive.alternate)
        format += '#';
    if (directive.zero)
        format += '0';
    if (directive.width > 0)
        format += std::to_string(directive.width);
    if (directive.precision >= 0)
        format += '.' + std::to_string(directive.precision);
    switch (directive.length) {
    case 'H': format += "hh"; break;
    case 'L': format += "ll"; break;
    case 0: break;
    default: format += directive.length;
    }
    return format + directive.conversion;
}

using PromotedWint = std::conditional_t<(sizeof(std::wint_t) < sizeof(int)), int, std::wint_t>;

template <typename Value>
void AppendFormatted(TextSink& sink, const std::string& format, Value value)
{
    const int length = std::snprintf(nullptr, 0, format.c_str(), value);
    if (length > 0)
        std::snprintf(sink.Extend(static_cast<std::size_t>(length)), static_cast<std::size_t>(length) + 1,
                      format.c_str(), value);
}

// A directive the fast path declined, formatted alone by the C library with
// its argument, so that the rest of the message keeps the fast path's result.
// False for what only the whole format can be given to the C library.
bool FormatWithTheCLibrary(TextSink& sink, const Directive& directive, va_list* args)
{
    const std::string format = SingleDirective(directive);
    const bool wide = directive.length == 'l';
    switch (directive.conversion) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': {
        // Read at the directive's own size, handed over at the widest.
        Directive widest = directive;
        widest.length = 'j';
        if (directive.conversion == 'd' || directive.conversion == 'i')
            AppendFormatted(sink, SingleDirective(widest), SignedArgument(directive, args));
        else
            AppendFormatted(sink, SingleDirective(widest), UnsignedArgument(directive, args));
        return true;
    }
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        if (directive.length != 0 && directive.length != 'l')
            return false;
        AppendFormatted(sink, format, va_arg(*args, double));
        return true;
    case 's':
        if (wide)
            AppendFormatted(sink, format, va_arg(*args, const wchar_t*));
        else if (directive.length == 0)
            AppendFormatted(sink, format, va_arg(*args, const char*));
        else
            return false;
        return true;
    case 'c':
        if (wide)
            // A wint_t narrower than int (Windows) arrives promoted.
            AppendFormatted(sink, format, va_arg(*args, PromotedWint));
        else if (directive.length == 0)
            AppendFormatted(sink, format, va_arg(*args, int));
        else
            return false;
        return true;
    case 'p':
        if (directive.length != 0)
            return false;
        AppendFormatted(sink, format, va_arg(*args, void*));
        return true;
    default:
        return false;
    }
}

}  // namespace

bool FormatPrintf(TextSink& sink, const char* format, va_list args)
{
    va_list ap;
    va_copy(ap, args);
    bool handled = true;
    const char* cursor = format;
    while (handled && *cursor) {
        const char* percent = std::strchr(cursor, '%');
        if (!percent) {
            sink.Append(cursor, std::strlen(cursor));
            break;
        }
        sink.Append(cursor, static_cast<std::size_t>(percent - cursor));
        cursor = percent + 1;
        if (*cursor == '%') {
            sink.Append("%", 1);
            ++cursor;
            continue;
        }
        Directive directive;
        if (!ParseDirective(cursor, directive, &ap)) {
            handled = false;
            break;
        }
        // The argument as it stands before the fast path looks at it, for the
        // C library if the fast path declines.
        va_list before;
        va_copy(before, ap);
        if (FormatConversion(sink, directive, &ap)) {
            va_end(before);
            continue;
        }
        va_end(ap);
        va_copy(ap, before);
        va_end(before);
        handled = FormatWithTheCLibrary(sink, directive, &ap);
    }
    va_end(ap);
    return handled;
}

}  // namespace Vexir
