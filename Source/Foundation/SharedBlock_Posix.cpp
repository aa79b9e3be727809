#include "Foundation/SharedBlock_Posix.h"

#include <Vexir/Utf8Util.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

namespace Vexir {

namespace {

// Shared-memory names are one path component: "/vexir." and the name with its
// slashes replaced.
std::string ObjectName(const wchar_t* name)
{
    std::string text = "/vexir." + utf8util::Utf16ToUtf8(name);
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] == '/')
            text[i] = '_';
    return text;
}

void WaitBriefly() { usleep(1000); }

// Maps an existing block once its creator has sized and initialised it. A block
// of another kind is refused as soon as its header is ready, rather than waited
// on until it grows to this kind's size, which it never does; the size cannot
// tell two kinds apart on its own, the header's kind does. A block of this kind
// but another size (another build's layout) is refused too.
SharedBlockHeader* MapExisting(int fd, SharedBlockKind kind, std::size_t size)
{
    // The creator sizes the block straight after making it.
    std::size_t existing = 0;
    for (int attempt = 0; attempt < 2000; ++attempt) {
        struct stat info;
        if (fstat(fd, &info) != 0)
            return nullptr;
        existing = static_cast<std::size_t>(info.st_size);
        if (existing > 0)
            break;
        WaitBriefly();
    }
    if (existing < sizeof(SharedBlockHeader))
        return nullptr;
    void* memory = mmap(nullptr, existing, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    auto* header = static_cast<SharedBlockHeader*>(memory);
    for (int attempt = 0; attempt < 2000 && header->ready.load(std::memory_order_acquire) == 0; ++attempt)
        WaitBriefly();
    if (header->ready.load(std::memory_order_acquire) == 0 || header->kind != kind || existing != size) {
        munmap(memory, existing);
        return nullptr;
    }
    header->openCount.fetch_add(1);
    return header;
}

SharedBlockHeader* CreateNew(int fd, SharedBlockKind kind, std::size_t size, SharedBlock::Initialiser initialise,
                             const void* context)
{
    if (ftruncate(fd, static_cast<off_t>(size)) != 0)
        return nullptr;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    auto* header = new (memory) SharedBlockHeader{};
    header->openCount.store(1);
    header->kind = kind;
    initialise(header + 1, context);
    header->ready.store(1, std::memory_order_release);
    return header;
}

}  // namespace

SharedBlock* SharedBlock::Open(const wchar_t* name, SharedBlockKind kind, std::size_t payloadSize,
                               Initialiser initialise, const void* context)
{
    const std::size_t size = sizeof(SharedBlockHeader) + payloadSize;
    if (!name) {
        void* memory = std::calloc(1, size);
        if (!memory)
            return nullptr;
        auto* header = new (memory) SharedBlockHeader{};
        header->kind = kind;
        initialise(header + 1, context);
        return new SharedBlock(header, 0, std::string());
    }

    const std::string objectName = ObjectName(name);
    // A block can vanish between a failed exclusive create and the open that
    // follows it (its last user closed it); then try again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        SharedBlockHeader* header = nullptr;
        if (fd >= 0) {
            header = CreateNew(fd, kind, size, initialise, context);
            if (!header)
                shm_unlink(objectName.c_str());
        } else if (errno == EEXIST) {
            fd = shm_open(objectName.c_str(), O_RDWR, 0600);
            if (fd < 0 && errno == ENOENT)
                continue;
            if (fd >= 0)
                header = MapExisting(fd, kind, size);
        }
        if (fd >= 0)
            close(fd);
        return header ? new SharedBlock(header, size, objectName) : nullptr;
    }
    return nullptr;
}

void SharedBlock::Close()
{
    if (_sName.empty()) {
        std::free(_pHeader);
    } else {
        if (_pHeader->openCount.fetch_sub(1) == 1)
            shm_unlink(_sName.c_str());
        munmap(_pHeader, _uMappedSize);
    }
    delete this;
}

}  // namespace Vexir
