#include "Foundation/AlignedMemory.h"

#include <cstdlib>

namespace Vexir {

void* AllocateAligned(std::size_t size, std::size_t alignment)
{
    void* memory = nullptr;
    return posix_memalign(&memory, alignment, size ? size : alignment) == 0 ? memory : nullptr;
}

void FreeAligned(void* memory) { std::free(memory); }

}  // namespace Vexir
