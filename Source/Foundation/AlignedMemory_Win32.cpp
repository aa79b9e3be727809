#include "Foundation/AlignedMemory.h"

#include <malloc.h>

namespace Vexir {

void* AllocateAligned(std::size_t size, std::size_t alignment) { return _aligned_malloc(size ? size : alignment, alignment); }

void FreeAligned(void* memory) { _aligned_free(memory); }

}  // namespace Vexir
