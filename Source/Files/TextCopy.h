// Copies UTF-8 text into a fixed buffer, always terminated.
#pragma once

#include <cstddef>
#include <string>

namespace Vexir {

// Copies as much of `text` as fits before the terminator, never cutting a
// character in two. True when all of it fitted.
bool CopyTerminated(char* out, std::size_t capacity, const std::string& text);

}  // namespace Vexir
