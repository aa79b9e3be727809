#include "Files/TextCopy.h"

#include <cstring>

namespace Vexir {

bool CopyTerminated(char* out, std::size_t capacity, const std::string& text)
{
    if (capacity == 0)
        return false;
    std::size_t length = text.size() < capacity ? text.size() : capacity - 1;
    // Back up over continuation bytes so that a cut falls between characters.
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return length == text.size();
}

}  // namespace Vexir
