#include <Vexir/Utf8Util.h>

#include <cstring>
#include <cwchar>

#include "Foundation/Utf8Conversion.h"

namespace utf8util {

namespace detail {
const char* const kInvalidUtf8 = "Invalid UTF-8 sequence found in input string.";
const char* const kUtf16LengthFailed = "Can't get length of UTF-16 string (MultiByteToWideChar failed).";
const char* const kUtf8ToUtf16Failed = "Can't convert string from UTF-8 to UTF-16 (MultiByteToWideChar failed).";
const char* const kUtf8LengthFailed = "Can't get length of UTF-8 string (WideCharToMultiByte failed).";
const char* const kUtf16ToUtf8Failed = "Can't convert string from UTF-16 to UTF-8 (WideCharToMultiByte failed).";
}  // namespace detail

utf8_conversion_error::utf8_conversion_error(const char* message, std::uint32_t direction, std::uint32_t errorCode)
    : std::runtime_error(message), _uDirection(direction), _uErrorCode(errorCode)
{
}

utf8_conversion_error::~utf8_conversion_error() = default;

std::wstring Utf8ToUtf16(const std::string& utf8)
{
    return utf8.empty() ? std::wstring() : detail::Utf8ToWide(utf8.data(), utf8.size());
}

std::wstring Utf8ToUtf16(const char* utf8)
{
    return utf8 && *utf8 ? detail::Utf8ToWide(utf8, std::strlen(utf8)) : std::wstring();
}

std::string Utf16ToUtf8(const std::wstring& wide)
{
    return wide.empty() ? std::string() : detail::WideToUtf8(wide.data(), wide.size());
}

std::string Utf16ToUtf8(const wchar_t* wide)
{
    return wide && *wide ? detail::WideToUtf8(wide, std::wcslen(wide)) : std::string();
}

std::u16string Utf8ToU16(const std::string& utf8)
{
    return utf8.empty() ? std::u16string() : detail::Utf8ToU16(utf8.data(), utf8.size());
}

std::string Utf16ToUtf8(const std::u16string& utf16)
{
    return utf16.empty() ? std::string() : detail::U16ToUtf8(utf16.data(), utf16.size());
}

}  // namespace utf8util
