/// @file
/// The library's one conversion between UTF-8 and UTF-16.
///
/// Text crosses the library's interface as UTF-8; it becomes wide only for wide
/// operating-system calls. `std::wstring` is the platform's wide text: UTF-16 on
/// Windows, one code point per unit (UTF-32) on Linux. The `std::u16string`
/// overloads give UTF-16 on both.
///
/// @verbatim
///   Utf8ToUtf16("\xC3\x84")         => L"\u00C4"
///   Utf8ToU16("\xF0\x9F\x98\x80")   => u"\xD83D\xDE00" (a surrogate pair)
///   Utf8ToUtf16("\xC3\x28")         => throws utf8_conversion_error
///   Utf16ToUtf8(L"\xD800")          => "\xEF\xBF\xBD" (U+FFFD replaces a lone surrogate)
/// @endverbatim
///
/// Malformed UTF-8 (overlong forms, encoded surrogates, values above U+10FFFF,
/// truncated sequences, stray continuation bytes) throws utf8_conversion_error;
/// it is the one exception that leaves the library. Wide to UTF-8 never fails on
/// content: unpaired surrogates (and on Linux values that are no code point)
/// become U+FFFD.
///
/// Each function converts the whole input, embedded zeros included; a C string
/// ends at its first zero, and a null one converts to an empty string.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>
#include <stdexcept>
#include <string>

/// Conversions between UTF-8 and the platform's wide text or UTF-16.
namespace utf8util {

/// What a failed conversion throws: malformed UTF-8 on every platform, and on
/// Windows also a failure of the system's conversion (an input longer than
/// INT_MAX units, in either direction, among them).
class VEXIR_API utf8_conversion_error : public std::runtime_error {
public:
    /// @enum Direction
    /// The way the failed conversion went.
    /// @var Utf16ToUtf8Direction
    /// From wide text or UTF-16 to UTF-8.
    /// @var Utf8ToUtf16Direction
    /// From UTF-8 to wide text or UTF-16.
    enum Direction : std::uint32_t { Utf16ToUtf8Direction = 0, Utf8ToUtf16Direction = 1 };

    /// Makes the exception: `message` becomes what(), `direction` is a
    /// Direction. On Windows `errorCode` is the system's error code (1113 for
    /// invalid UTF-8); on Linux it is EILSEQ for invalid input.
    utf8_conversion_error(const char* message, std::uint32_t direction, std::uint32_t errorCode);
    /// Copies the message, direction and error code.
    utf8_conversion_error(const utf8_conversion_error&) = default;
    /// Copies the message, direction and error code.
    utf8_conversion_error& operator=(const utf8_conversion_error&) = default;
    ~utf8_conversion_error() override;

    /// The Direction of the failed conversion.
    std::uint32_t direction() const { return _uDirection; }
    /// On Windows the system's error code (1113, ERROR_NO_UNICODE_TRANSLATION,
    /// for invalid UTF-8); on Linux EILSEQ.
    std::uint32_t error_code() const { return _uErrorCode; }

private:
    std::uint32_t _uDirection;
    std::uint32_t _uErrorCode;
};

/// UTF-8 to the platform's wide text (UTF-16 on Windows, UTF-32 on Linux).
/// Throws utf8_conversion_error for malformed UTF-8.
VEXIR_API std::wstring Utf8ToUtf16(const std::string& utf8);
/// UTF-8 up to its terminating zero to the platform's wide text; null gives an
/// empty string. Throws utf8_conversion_error for malformed UTF-8.
VEXIR_API std::wstring Utf8ToUtf16(const char* utf8);
/// The platform's wide text to UTF-8; unpaired surrogates (on Linux also
/// values that are no code point) become U+FFFD.
VEXIR_API std::string Utf16ToUtf8(const std::wstring& wide);
/// The platform's wide text up to its terminating zero to UTF-8, as
/// Utf16ToUtf8(const std::wstring&); null gives an empty string.
VEXIR_API std::string Utf16ToUtf8(const wchar_t* wide);

/// UTF-8 to UTF-16 on every platform. Throws utf8_conversion_error for
/// malformed UTF-8.
VEXIR_API std::u16string Utf8ToU16(const std::string& utf8);
/// UTF-16 to UTF-8 on every platform; unpaired surrogates become U+FFFD.
VEXIR_API std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace utf8util
