// A block of memory that several processes open by one name, standing in for
// the named kernel objects of Windows. An unnamed block is private heap memory.
// The block counts the handles open on it; the last one to close removes the name.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace Vexir {

// What a named block holds. A name taken by one kind does not open as another:
// on Windows too a mutex's name cannot be opened as an event, nor the reverse.
enum class SharedBlockKind : unsigned { Mutex = 1, Event = 2 };

// The payload follows the header, so the header keeps it aligned for anything.
struct alignas(std::max_align_t) SharedBlockHeader {
    std::atomic<unsigned> ready;
    std::atomic<unsigned> openCount;
    SharedBlockKind kind;  // set by the creator before `ready`
};

class SharedBlock {
public:
    using Initialiser = void (*)(void* payload, const void* context);

    // Opens the block of that name, creating it when it does not exist yet;
    // `initialise` runs once, in the creating process, before anyone else sees
    // the block. Returns null on failure, and at once when the name holds a
    // block of another kind.
    static SharedBlock* Open(const wchar_t* name, SharedBlockKind kind, std::size_t payloadSize,
                             Initialiser initialise, const void* context);
    void Close();

    void* Payload() const { return _pHeader + 1; }

private:
    SharedBlock(SharedBlockHeader* header, std::size_t mappedSize, std::string name)
        : _pHeader(header), _uMappedSize(mappedSize), _sName(std::move(name))
    {
    }

    SharedBlockHeader* _pHeader;
    std::size_t _uMappedSize;
    std::string _sName;  // empty for a private block
};

}  // namespace Vexir
