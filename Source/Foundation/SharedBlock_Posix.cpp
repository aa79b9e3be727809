#include "Foundation/SharedBlock_Posix.h"

#include <Vexir/Utf8Util.h>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Vexir {

namespace {

const char kDirectory[] = "/dev/shm/";
const std::size_t kNameMax = 255;

// "vexir.<uid>." : the files of this user's names.
std::string UserPrefix() { return "vexir." + std::to_string(static_cast<unsigned long>(geteuid())) + "."; }

// The file of a name, empty when the name cannot have one. Escaping "%" and
// "/" keeps every name apart from every other.
std::string PathOf(const wchar_t* name)
{
    std::string utf8;
    try {
        utf8 = utf8util::Utf16ToUtf8(name);
    } catch (...) {
        return std::string();
    }
    std::string file = UserPrefix();
    for (const char c : utf8) {
        if (c == '%')
            file += "%25";
        else if (c == '/')
            file += "%2F";
        else
            file += c;
    }
    if (file.size() > kNameMax)
        return std::string();
    return kDirectory + file;
}

// Open-file-description locks: held by the open file, not by the process, so
// they are neither dropped by closing another descriptor of the same file nor
// shared out by a fork once the child has opened the file anew.
bool LockFile(int fd, short type)
{
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The name still leads to the open file: nobody removed it (and perhaps made
// another) between the open and the lock.
bool StillNamed(int fd, const std::string& path)
{
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && SameFile(opened, named);
}

// Only this user's own plain file is a block: another user's file of the name,
// or anything else put there, is not taken for one.
bool IsOwnPlainFile(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

int OpenFile(const std::string& path, int flags)
{
    return open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | flags, 0600);
}

void PauseBriefly() { usleep(1000); }

}  // namespace

// The named blocks this process has open, one per name, so that opening a
// name twice shares one file and one lock. Constant-initialised and never
// destroyed: a host's static MutexWaitable may close after every destructor of
// the library has run.
class SharedBlockRegistry {
public:
    static SharedBlock* Open(const std::string& path, SharedBlockKind kind, std::size_t size,
                             SharedBlock::Initialiser initialise, const void* context);
    static void Close(SharedBlock* block);

private:
    static SharedBlock* Find(const std::string& path);
    static SharedBlock* OpenFresh(const std::string& path, SharedBlockKind kind, std::size_t size,
                                  SharedBlock::Initialiser initialise, const void* context);
    static SharedBlockHeader* StartAfresh(int fd, SharedBlockKind kind, std::size_t size,
                                          SharedBlock::Initialiser initialise, const void* context);
    static SharedBlockHeader* MapShared(int fd, SharedBlockKind kind, std::size_t size);
    static void RemoveLeftovers();
    static void InstallForkHandlers();
    static void BeforeFork() { pthread_mutex_lock(&s_mLock); }
    static void AfterForkInParent() { pthread_mutex_unlock(&s_mLock); }
    static void AfterForkInChild();

    static pthread_mutex_t s_mLock;
    static SharedBlock* s_pFirst;
};

pthread_mutex_t SharedBlockRegistry::s_mLock = PTHREAD_MUTEX_INITIALIZER;
SharedBlock* SharedBlockRegistry::s_pFirst = nullptr;

SharedBlock* SharedBlockRegistry::Find(const std::string& path)
{
    for (SharedBlock* block = s_pFirst; block; block = block->_pNext)
        if (block->_sPath == path)
            return block;
    return nullptr;
}

// Alone with the file: whatever it holds is a leftover of processes that are
// gone, so it is cut to nothing and made anew.
SharedBlockHeader* SharedBlockRegistry::StartAfresh(int fd, SharedBlockKind kind, std::size_t size,
                                                    SharedBlock::Initialiser initialise, const void* context)
{
    if (ftruncate(fd, 0) != 0 || ftruncate(fd, static_cast<off_t>(size)) != 0)
        return nullptr;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    auto* header = new (memory) SharedBlockHeader{};
    header->kind = kind;
    initialise(header + 1, context);
    header->ready.store(1, std::memory_order_release);
    return header;
}

// Another process has the block; it was made whole before its maker let go of
// the exclusive lock. A block of another kind, or of another build's layout,
// is refused.
SharedBlockHeader* SharedBlockRegistry::MapShared(int fd, SharedBlockKind kind, std::size_t size)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) != size)
        return nullptr;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    auto* header = static_cast<SharedBlockHeader*>(memory);
    if (header->ready.load(std::memory_order_acquire) != 1 || header->kind != kind) {
        munmap(memory, size);
        return nullptr;
    }
    return header;
}

SharedBlock* SharedBlockRegistry::OpenFresh(const std::string& path, SharedBlockKind kind, std::size_t size,
                                            SharedBlock::Initialiser initialise, const void* context)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = OpenFile(path, O_CREAT);
        if (fd < 0)
            return nullptr;
        if (!IsOwnPlainFile(fd)) {
            close(fd);
            return nullptr;
        }
        SharedBlockHeader* header = nullptr;
        bool removedMeanwhile = false;
        if (LockFile(fd, F_WRLCK)) {
            removedMeanwhile = !StillNamed(fd, path);
            if (!removedMeanwhile) {
                header = StartAfresh(fd, kind, size, initialise, context);
                // Turning the lock into a shared one never lets go of it.
                if (header && !LockFile(fd, F_RDLCK)) {
                    munmap(header, size);
                    header = nullptr;
                }
            }
        } else if (errno == EAGAIN || errno == EACCES) {
            // Others hold it. One of them may be making it or removing it,
            // which takes a moment.
            // The registry is let go meanwhile, so that other opens, closes and
            // forks of this process do not wait with this one.
            bool locked = false;
            for (int wait = 0; wait < 2000 && !(locked = LockFile(fd, F_RDLCK)); ++wait) {
                pthread_mutex_unlock(&s_mLock);
                PauseBriefly();
                pthread_mutex_lock(&s_mLock);
                if (SharedBlock* opened = Find(path)) {
                    // Another thread opened it meanwhile: share that one.
                    close(fd);
                    const bool sameKind = opened->_pHeader->kind == kind && opened->_uMappedSize == size;
                    if (sameKind)
                        ++opened->_iOpenCount;
                    return sameKind ? opened : nullptr;
                }
            }
            removedMeanwhile = locked && !StillNamed(fd, path);
            if (locked && !removedMeanwhile)
                header = MapShared(fd, kind, size);
        }
        if (removedMeanwhile) {
            close(fd);
            continue;
        }
        if (!header) {
            close(fd);
            return nullptr;
        }
        auto* block = new (std::nothrow) SharedBlock(header, size);
        if (!block) {
            munmap(header, size);
            close(fd);
            return nullptr;
        }
        block->_sPath = path;
        block->_iFile = fd;
        block->_pNext = s_pFirst;
        s_pFirst = block;
        return block;
    }
    return nullptr;
}

SharedBlock* SharedBlockRegistry::Open(const std::string& path, SharedBlockKind kind, std::size_t size,
                                       SharedBlock::Initialiser initialise, const void* context)
{
    static pthread_once_t s_once = PTHREAD_ONCE_INIT;
    pthread_once(&s_once, [] {
        InstallForkHandlers();
        RemoveLeftovers();
    });
    pthread_mutex_lock(&s_mLock);
    SharedBlock* block = Find(path);
    if (block) {
        const bool sameKind = block->_pHeader->kind == kind && block->_uMappedSize == size;
        if (sameKind)
            ++block->_iOpenCount;
        else
            block = nullptr;
    } else {
        block = OpenFresh(path, kind, size, initialise, context);
    }
    pthread_mutex_unlock(&s_mLock);
    return block;
}

void SharedBlockRegistry::Close(SharedBlock* block)
{
    pthread_mutex_lock(&s_mLock);
    if (--block->_iOpenCount > 0 || block->_iHeld.load() > 0) {
        pthread_mutex_unlock(&s_mLock);
        return;
    }
    for (SharedBlock** link = &s_pFirst; *link; link = &(*link)->_pNext) {
        if (*link == block) {
            *link = block->_pNext;
            break;
        }
    }
    munmap(block->_pHeader, block->_uMappedSize);
    // The last holder anywhere removes the name; closing lets go of the lock.
    // A file still shared with the parent (the child could not open its own)
    // holds the parent's lock too, so the name is left to the parent.
    if (!block->_bSharedWithParent && LockFile(block->_iFile, F_WRLCK) && StillNamed(block->_iFile, block->_sPath))
        unlink(block->_sPath.c_str());
    close(block->_iFile);
    pthread_mutex_unlock(&s_mLock);
    delete block;
}

// Files of this user's names that nobody holds: left by processes that were
// killed. Removing one is safe at any moment, since whoever opens a name makes
// sure, once locked, that it still leads to the file it holds.
void SharedBlockRegistry::RemoveLeftovers()
{
    DIR* directory = opendir(kDirectory);
    if (!directory)
        return;
    const std::string prefix = UserPrefix();
    while (const dirent* entry = readdir(directory)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0)
            continue;
        const std::string path = kDirectory + std::string(entry->d_name);
        const int fd = OpenFile(path, 0);
        if (fd < 0)
            continue;
        if (IsOwnPlainFile(fd) && LockFile(fd, F_WRLCK) && StillNamed(fd, path))
            unlink(path.c_str());
        close(fd);
    }
    closedir(directory);
}

void SharedBlockRegistry::InstallForkHandlers() { pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild); }

// The child shares the parent's open files, and so the parent's locks: it
// opens each file anew and locks that, and only then lets go of the shared
// one, so that someone always holds the name. Only system calls run here, as
// in a forked child they must.
void SharedBlockRegistry::AfterForkInChild()
{
    for (SharedBlock* block = s_pFirst; block; block = block->_pNext) {
        const int fd = OpenFile(block->_sPath, 0);
        block->_bSharedWithParent = true;
        if (fd < 0)
            continue;
        struct stat opened, inherited;
        // dup3 keeps the descriptor closed at exec: a program the child runs
        // must not hold the name.
        if (fstat(fd, &opened) == 0 && fstat(block->_iFile, &inherited) == 0 && SameFile(opened, inherited) &&
            LockFile(fd, F_RDLCK) && dup3(fd, block->_iFile, O_CLOEXEC) == block->_iFile)
            block->_bSharedWithParent = false;
        close(fd);
    }
    pthread_mutex_unlock(&s_mLock);
}

SharedBlock* SharedBlock::Open(const wchar_t* name, SharedBlockKind kind, std::size_t payloadSize,
                               Initialiser initialise, const void* context)
{
    const std::size_t size = sizeof(SharedBlockHeader) + payloadSize;
    if (name) {
        const std::string path = PathOf(name);
        return path.empty() ? nullptr : SharedBlockRegistry::Open(path, kind, size, initialise, context);
    }
    void* memory = std::calloc(1, size);
    if (!memory)
        return nullptr;
    auto* header = new (memory) SharedBlockHeader{};
    header->kind = kind;
    initialise(header + 1, context);
    auto* block = new (std::nothrow) SharedBlock(header, 0);
    if (!block)
        std::free(memory);
    return block;
}

void SharedBlock::Close()
{
    if (!_sPath.empty()) {
        SharedBlockRegistry::Close(this);
        return;
    }
    // Held by one of our threads, the memory stays: its robust-lock list leads into it.
    if (_iHeld.load() > 0)
        return;
    std::free(_pHeader);
    delete this;
}

}  // namespace Vexir
