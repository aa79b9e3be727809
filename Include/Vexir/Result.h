// Results that collect messages, names hashed to 32-bit identifiers, and the
// library's version texts.
#pragma once

#include <Vexir/VexirExport.h>

#include <cstddef>
#include <string>
#include <vector>

namespace Vexir {

// Messages in the order added; operations fill one and callers merge them.
class VEXIR_API Result {
public:
    // Appends copies of the other's messages after these.
    bool Add(Result& other);
    // Appends one printf-formatted message.
    bool Add(const char* format, ...);

    std::size_t GetCount() const { return _lMessages.size(); }
    // The message at `index`, or an empty text beyond the count.
    const std::string& GetMessage(std::size_t index) const;
    void Clear() { _lMessages.clear(); }

private:
    std::vector<std::string> _lMessages;
};

// A name with an identifier from a case-insensitive Adler-style checksum, so
// names compare and sort by one integer: "abc", "Abc" and "ABC" => 0x024A0126.
// The text is not copied; the caller keeps it alive.
class VEXIR_API HashedString {
public:
    explicit HashedString(const char* const text);

    unsigned long GetIdent() const { return _uIdent; }
    const char* GetStr() const { return _pText; }
    // Identifiers only: two names with one identifier are equal.
    bool operator==(const HashedString& other) const { return _uIdent == other._uIdent; }
    bool operator<(const HashedString& other) const { return _uIdent < other._uIdent; }

    static unsigned long HashName(const char* text);

private:
    unsigned long _uIdent;
    const char* _pText;
};

}  // namespace Vexir

// "Parvon SDK 1.4.100.692", the same pointer on every call.
VEXIR_API const char* GetVexirVersionString();
VEXIR_API const char* GetVexirCopyrightString();
