// Heap blocks aligned beyond what malloc promises.
#pragma once

#include <cstddef>

namespace Vexir {

// Null when the memory cannot be had.
void* AllocateAligned(std::size_t size, std::size_t alignment);
void FreeAligned(void* memory);

}  // namespace Vexir
