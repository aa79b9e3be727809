// The platform's conversion routines behind utf8util. Each takes a non-empty
// input with its length and throws utf8_conversion_error on failure.
#pragma once

#include <cstddef>
#include <string>

namespace utf8util {
namespace detail {

extern const char* const kInvalidUtf8;
extern const char* const kUtf16LengthFailed;
extern const char* const kUtf8ToUtf16Failed;
extern const char* const kUtf8LengthFailed;
extern const char* const kUtf16ToUtf8Failed;

std::wstring Utf8ToWide(const char* text, std::size_t length);
std::string WideToUtf8(const wchar_t* text, std::size_t length);
std::u16string Utf8ToU16(const char* text, std::size_t length);
std::string U16ToUtf8(const char16_t* text, std::size_t length);

}  // namespace detail
}  // namespace utf8util
