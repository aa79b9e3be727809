/// @file
/// Results that collect messages, names hashed to 32-bit identifiers, and the
/// library's version texts.
#pragma once

#include <Vexir/Platform.h>

#include <cstddef>
#include <string>
#include <vector>

namespace Vexir {

/// Messages in the order added; operations fill one and callers merge them.
/// Not synchronised.
class VEXIR_API Result {
public:
    /// Appends copies of the other's messages after these (`other` may be this
    /// result: its messages then appear twice). Returns true.
    bool Add(Result& other);
    /// Appends one printf-formatted message. A null format, or one that cannot
    /// be formatted, appends an empty message. Returns true.
    bool Add(const char* format, ...) VEXIR_PRINTF(2, 3);

    /// The number of messages.
    std::size_t GetCount() const { return _lMessages.size(); }
    /// The message at `index`, or an empty text beyond the count. The reference
    /// is valid until the result next changes.
    const std::string& GetMessage(std::size_t index) const;
    /// Removes every message.
    void Clear() { _lMessages.clear(); }

private:
    std::vector<std::string> _lMessages;
};

/// A name with an identifier from a case-insensitive Adler-style checksum, so
/// names compare and sort by one integer: "abc", "Abc" and "ABC" => 0x024A0126.
/// The text is not copied; the caller keeps it alive.
class VEXIR_API HashedString {
public:
    /// Keeps `text` (not copied; may be null) and its identifier, HashName(text).
    explicit HashedString(const char* const text);

    /// The identifier.
    unsigned long GetIdent() const { return _uIdent; }
    /// The text given to the constructor.
    const char* GetStr() const { return _pText; }
    /// Identifiers only: two names with one identifier are equal, including
    /// different names whose checksums collide.
    bool operator==(const HashedString& other) const { return _uIdent == other._uIdent; }
    /// Orders by identifier, not alphabetically.
    bool operator<(const HashedString& other) const { return _uIdent < other._uIdent; }

    /// The identifier of a name: (b << 16) + a, where a sums the bytes and b the
    /// running values of a, both modulo 65521. ASCII letters count as lower
    /// case; bytes above 0x7F count as negative (signed char). 0 for null or
    /// empty text.
    static unsigned long HashName(const char* text);

private:
    unsigned long _uIdent;
    const char* _pText;
};

}  // namespace Vexir

/// "Parvon SDK 1.4.100.692", the same pointer on every call.
VEXIR_API const char* GetVexirVersionString();
/// The library's copyright notice, the same pointer on every call.
VEXIR_API const char* GetVexirCopyrightString();
