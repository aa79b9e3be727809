// The library's one conversion between UTF-8 and UTF-16.
//
// Text crosses the library's interface as UTF-8; it becomes wide only for wide
// operating-system calls. `std::wstring` is the platform's wide text: UTF-16 on
// Windows, one code point per unit (UTF-32) on Linux. The `std::u16string`
// overloads give UTF-16 on both.
//
//   Utf8ToUtf16("\xC3\x84")        => L"\u00C4"
//   Utf8ToUtf16("\xF0\x9F\x98\x80") => u"\xD83D\xDE00" (a surrogate pair)
//   Utf8ToUtf16("\xC3\x28")        => throws utf8_conversion_error
//   Utf16ToUtf8(L"\xD800")         => "\xEF\xBF\xBD" (U+FFFD replaces a lone surrogate)
//
// Malformed UTF-8 (overlong forms, encoded surrogates, values above U+10FFFF,
// truncated sequences, stray continuation bytes) throws utf8_conversion_error;
// it is the one exception that leaves the library. Wide to UTF-8 never fails on
// content: unpaired surrogates (and on Linux values that are no code point)
// become U+FFFD.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace utf8util {

class VEXIR_API utf8_conversion_error : public std::runtime_error {
public:
    enum Direction : std::uint32_t { Utf16ToUtf8Direction = 0, Utf8ToUtf16Direction = 1 };

    // On Windows `errorCode` is the system's error code (1113 for invalid
    // UTF-8); on Linux it is EILSEQ for invalid input.
    utf8_conversion_error(const char* message, std::uint32_t direction, std::uint32_t errorCode);
    utf8_conversion_error(const utf8_conversion_error&) = default;
    utf8_conversion_error& operator=(const utf8_conversion_error&) = default;
    ~utf8_conversion_error() override;

    std::uint32_t direction() const { return _uDirection; }
    std::uint32_t error_code() const { return _uErrorCode; }

private:
    std::uint32_t _uDirection;
    std::uint32_t _uErrorCode;
};

// Each converts the whole input, embedded zeros included. A null C string
// converts to an empty string.
VEXIR_API std::wstring Utf8ToUtf16(const std::string& utf8);
VEXIR_API std::wstring Utf8ToUtf16(const char* utf8);
VEXIR_API std::string Utf16ToUtf8(const std::wstring& wide);
VEXIR_API std::string Utf16ToUtf8(const wchar_t* wide);

VEXIR_API std::u16string Utf8ToU16(const std::string& utf8);
VEXIR_API std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace utf8util
