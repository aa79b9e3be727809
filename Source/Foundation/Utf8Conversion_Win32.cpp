// Windows conversion: the system's own MultiByteToWideChar and
// WideCharToMultiByte on code page 65001. wchar_t is UTF-16 here, so the
// u16string forms are the same conversion.
#include <Vexir/Utf8Util.h>

#include <windows.h>

#include <climits>

#include "Foundation/Utf8Conversion.h"

namespace utf8util {
namespace detail {

namespace {

int CheckedLength(std::size_t length, std::uint32_t direction, const char* message)
{
    if (length > static_cast<std::size_t>(INT_MAX))
        throw utf8_conversion_error(message, direction, ERROR_ARITHMETIC_OVERFLOW);
    return static_cast<int>(length);
}

}  // namespace

std::wstring Utf8ToWide(const char* text, std::size_t length)
{
    const auto direction = utf8_conversion_error::Utf8ToUtf16Direction;
    const int inputLength = CheckedLength(length, direction, kUtf16LengthFailed);
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, inputLength, nullptr, 0);
    if (wideLength == 0) {
        const DWORD error = GetLastError();
        throw utf8_conversion_error(error == ERROR_NO_UNICODE_TRANSLATION ? kInvalidUtf8 : kUtf16LengthFailed,
                                    direction, error);
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, text, inputLength, &wide[0], wideLength) == 0)
        throw utf8_conversion_error(kUtf8ToUtf16Failed, direction, GetLastError());
    return wide;
}

std::string WideToUtf8(const wchar_t* text, std::size_t length)
{
    const auto direction = utf8_conversion_error::Utf16ToUtf8Direction;
    const int inputLength = CheckedLength(length, direction, kUtf8LengthFailed);
    const int narrowLength = WideCharToMultiByte(CP_UTF8, 0, text, inputLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength == 0)
        throw utf8_conversion_error(kUtf8LengthFailed, direction, GetLastError());
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, inputLength, &narrow[0], narrowLength, nullptr, nullptr) == 0)
        throw utf8_conversion_error(kUtf16ToUtf8Failed, direction, GetLastError());
    return narrow;
}

std::u16string Utf8ToU16(const char* text, std::size_t length)
{
    const std::wstring wide = Utf8ToWide(text, length);
    return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string U16ToUtf8(const char16_t* text, std::size_t length)
{
    return WideToUtf8(reinterpret_cast<const wchar_t*>(text), length);
}

}  // namespace detail
}  // namespace utf8util
