#include "Console/PrintfFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

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

struct Spec {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char length = 0;     // 'H' for hh, 'h', 'l', 'L' for ll, 'z', 'j', 't'
    char conversion = 0;
};

// Parses flags, width, precision and length after a '%'. False for what the
// fast path leaves to the C library.
bool ParseSpec(const char*& cursor, Spec& spec, va_list* args)
{
    for (;; ++cursor) {
        switch (*cursor) {
        case '-': spec.left = true; continue;
        case '+': spec.plus = true; continue;
        case ' ': spec.space = true; continue;
        case '#': spec.alternate = true; continue;
        case '0': spec.zero = true; continue;
        default: break;
        }
        break;
    }
    if (*cursor == '*') {
        const int width = va_arg(*args, int);
        if (width < -100000000 || width > 100000000)
            return false;
        spec.left = spec.left || width < 0;
        spec.width = width < 0 ? -width : width;
        ++cursor;
    } else {
        for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
            if (spec.width > 100000000)
                return false;
            spec.width = spec.width * 10 + (*cursor - '0');
        }
        if (*cursor == '$')
            return false;
    }
    if (*cursor == '.') {
        ++cursor;
        if (*cursor == '*') {
            spec.precision = va_arg(*args, int);
            if (spec.precision > 100000000)
                return false;
            if (spec.precision < 0)
                spec.precision = -1;
            ++cursor;
        } else {
            spec.precision = 0;
            for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
                if (spec.precision > 100000000)
                    return false;
                spec.precision = spec.precision * 10 + (*cursor - '0');
            }
        }
    }
    switch (*cursor) {
    case 'h':
        spec.length = cursor[1] == 'h' ? 'H' : 'h';
        cursor += spec.length == 'H' ? 2 : 1;
        break;
    case 'l':
        spec.length = cursor[1] == 'l' ? 'L' : 'l';
        cursor += spec.length == 'L' ? 2 : 1;
        break;
    case 'z':
    case 'j':
    case 't':
        spec.length = *cursor++;
        break;
    default:
        break;
    }
    spec.conversion = *cursor;
    if (spec.conversion)
        ++cursor;
    return true;
}

// Lays out sign or prefix, padding, the zeros a precision asks for and the body
// within the field width.
void EmitField(TextSink& sink, const Spec& spec, const char* prefix, std::size_t prefixLength, const char* body,
               std::size_t bodyLength, bool zeroPad, std::size_t precisionZeros = 0)
{
    const std::size_t used = prefixLength + precisionZeros + bodyLength;
    const std::size_t pad = static_cast<std::size_t>(spec.width) > used ? spec.width - used : 0;
    if (!spec.left && !zeroPad)
        sink.AppendRepeated(' ', pad);
    sink.Append(prefix, prefixLength);
    if (!spec.left && zeroPad)
        sink.AppendRepeated('0', pad);
    sink.AppendRepeated('0', precisionZeros);
    sink.Append(body, bodyLength);
    if (spec.left)
        sink.AppendRepeated(' ', pad);
}

std::uintmax_t UnsignedArgument(const Spec& spec, va_list* args)
{
    switch (spec.length) {
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

std::intmax_t SignedArgument(const Spec& spec, va_list* args)
{
    switch (spec.length) {
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

void FormatInteger(TextSink& sink, const Spec& spec, va_list* args)
{
    const char conversion = spec.conversion;
    const bool isSigned = conversion == 'd' || conversion == 'i';
    std::uintmax_t magnitude;
    char prefix[2];
    std::size_t prefixLength = 0;
    if (isSigned) {
        const std::intmax_t value = SignedArgument(spec, args);
        magnitude = value < 0 ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
        if (value < 0)
            prefix[prefixLength++] = '-';
        else if (spec.plus)
            prefix[prefixLength++] = '+';
        else if (spec.space)
            prefix[prefixLength++] = ' ';
    } else {
        magnitude = UnsignedArgument(spec, args);
    }

    const int base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    char digits[64];
    char* end = digits + sizeof digits;
    char* start = end;
    const char* alphabet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    for (std::uintmax_t rest = magnitude; rest != 0; rest /= base)
        *--start = alphabet[rest % base];
    const std::size_t minimum = spec.precision < 0 ? 1 : static_cast<std::size_t>(spec.precision);
    const std::size_t count = static_cast<std::size_t>(end - start);
    if (spec.alternate && base == 16 && magnitude != 0) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = conversion;
    }
    EmitField(sink, spec, prefix, prefixLength, start, count, spec.zero && spec.precision < 0,
              minimum > count ? minimum - count : 0);
}

bool FormatFloating(TextSink& sink, const Spec& spec, va_list* args)
{
    const double value = va_arg(*args, double);
    if (!std::isfinite(value) || spec.alternate)
        return false;
    const char lower = static_cast<char>(spec.conversion | 0x20);
    const std::chars_format style = lower == 'f'   ? std::chars_format::fixed
                                    : lower == 'e' ? std::chars_format::scientific
                                                   : std::chars_format::general;
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    if (precision > 400 || (style == std::chars_format::fixed && std::fabs(value) >= 1e300))
        return false;

    char text[800];
    const double magnitude = std::signbit(value) ? -value : value;
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, magnitude, style, precision);
    if (result.ec != std::errc())
        return false;
    if (spec.conversion == 'E' || spec.conversion == 'G')
        for (char* c = text; c != result.ptr; ++c)
            if (*c == 'e')
                *c = 'E';
    char sign = 0;
    if (std::signbit(value))
        sign = '-';
    else if (spec.plus)
        sign = '+';
    else if (spec.space)
        sign = ' ';
    EmitField(sink, spec, &sign, sign ? 1 : 0, text, static_cast<std::size_t>(result.ptr - text), spec.zero);
    return true;
}

bool FormatString(TextSink& sink, const Spec& spec, va_list* args)
{
    const char* text = va_arg(*args, const char*);
    if (!text || spec.zero)
        return false;
    const std::size_t length =
        spec.precision < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(spec.precision));
    EmitField(sink, spec, nullptr, 0, text, length, false);
    return true;
}

bool FormatConversion(TextSink& sink, const Spec& spec, va_list* args)
{
    switch (spec.conversion) {
    case 'd': case 'i':
        FormatInteger(sink, spec, args);
        return true;
    case 'u': case 'o': case 'x': case 'X':
        // C libraries disagree on sign flags for unsigned values and on "%#.0o"
        // of zero: those stay with the platform's own.
        if (spec.plus || spec.space || (spec.alternate && spec.conversion == 'o'))
            return false;
        FormatInteger(sink, spec, args);
        return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        return spec.length != 'L' && FormatFloating(sink, spec, args);
    case 's':
        return spec.length == 0 && FormatString(sink, spec, args);
    case 'c': {
        if (spec.length != 0 || spec.zero)
            return false;
        const char c = static_cast<char>(va_arg(*args, int));
        EmitField(sink, spec, nullptr, 0, &c, 1, false);
        return true;
    }
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
        Spec spec;
        handled = ParseSpec(cursor, spec, &ap) && FormatConversion(sink, spec, &ap);
    }
    va_end(ap);
    return handled;
}

}  // namespace Vexir
