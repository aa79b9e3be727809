// A block of memory that several processes open by one name, standing in for
// the named kernel objects of Windows. An unnamed block is private heap memory.
//
// A named block is a file "vexir.<uid>.<name>" in /dev/shm, so a name is
// shared by the processes of one user only, as Windows keeps names within a
// session. The name is stored with "%" and "/" escaped: every name has a file
// of its own ("a/b" and "a_b" are two objects). A name whose file name would
// exceed the system's limit of 255 bytes opens no block.
//
// Lifetime, against crashes, forks and racing closes: every process that has
// a name open holds a shared lock on its file (an open-file-description lock),
// which the kernel drops when the process ends, however it ends. Whoever can
// lock the file exclusively is alone with it and starts it afresh, so what a
// killed process left there (half made, zero length, a dead owner's state) is
// never trusted; the last one to close a name removes its file. A forked child
// takes a lock of its own during the fork, so neither its exit nor its closes
// take the parent's hold with them. A process that opens a name checks, once it
// holds its lock, that the name still leads to the file it locked, and starts
// over if a closing process removed it meanwhile.
//
// Opening waits at most about two seconds for a process that is starting the
// block afresh or removing it (both take a few system calls); a process stopped
// right there makes the open fail rather than hang.
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
    SharedBlockKind kind;
    std::atomic<unsigned> ready;
};

class SharedBlock {
public:
    using Initialiser = void (*)(void* payload, const void* context);

    // Opens the block of that name, or creates it when nobody has it open;
    // `initialise` runs in the process that creates it, before anyone else sees
    // it. Returns null on failure, and at once when the name holds a block of
    // another kind. Within one process every open of a name shares one block.
    static SharedBlock* Open(const wchar_t* name, SharedBlockKind kind, std::size_t payloadSize,
                             Initialiser initialise, const void* context);
    void Close();

    void* Payload() const { return _pHeader + 1; }

    // A thread of this process holds the block's mutex: a block closed while
    // held stays mapped, since the holder's robust-lock list still leads into it.
    void NoteHeld() { _iHeld.fetch_add(1, std::memory_order_relaxed); }
    void NoteReleased() { _iHeld.fetch_sub(1, std::memory_order_relaxed); }

private:
    friend class SharedBlockRegistry;
    SharedBlock(SharedBlockHeader* header, std::size_t mappedSize) : _pHeader(header), _uMappedSize(mappedSize) {}

    SharedBlockHeader* _pHeader;
    std::size_t _uMappedSize;  // 0 for a private block
    std::string _sPath;        // the block's file; empty for a private block
    int _iFile = -1;
    int _iOpenCount = 1;       // opens in this process
    bool _bSharedWithParent = false;  // a forked child's file it could not open anew
    std::atomic<int> _iHeld{0};
    SharedBlock* _pNext = nullptr;
};

}  // namespace Vexir
