// Numbers as CSV fields, the same whatever locale the host has set: digits
// without grouping, a point before any fraction. Readers of the files parse
// them in the "C" locale, whatever the locale of the process that wrote them.
#pragma once

#include <charconv>
#include <string>
#include <type_traits>

namespace Vexir {

template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer>>>
void AppendCsvNumber(std::string& text, Integer value)
{
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

// The notation a stream gives a float by default (six significant digits, an
// exponent only for the very small and the large), which the files have always
// had.
inline void AppendCsvNumber(std::string& text, float value)
{
    char digits[32];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
    text.append(digits, result.ptr);
}

}  // namespace Vexir
