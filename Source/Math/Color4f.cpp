#include <Vexir/Color.h>

#include <cstdlib>
#include <new>

#include "Foundation/AlignedMemory.h"

namespace Vexir {

Color4f* Color4f::Allocate(std::size_t count) { return static_cast<Color4f*>(std::malloc(count * sizeof(Color4f))); }

void Color4f::Deallocate(Color4f* colors) { std::free(colors); }

Color4fSSE* Color4fSSE::Allocate(std::size_t count)
{
    return static_cast<Color4fSSE*>(AllocateAligned(count * sizeof(Color4fSSE), alignof(Color4fSSE)));
}

void Color4fSSE::Deallocate(Color4fSSE* colors) { FreeAligned(colors); }

void* Color4fSSE::operator new(std::size_t size)
{
    if (void* memory = AllocateAligned(size, alignof(Color4fSSE)))
        return memory;
    throw std::bad_alloc();
}

void* Color4fSSE::operator new[](std::size_t size) { return operator new(size); }

void Color4fSSE::operator delete(void* memory) noexcept { FreeAligned(memory); }

void Color4fSSE::operator delete[](void* memory) noexcept { FreeAligned(memory); }

}  // namespace Vexir
