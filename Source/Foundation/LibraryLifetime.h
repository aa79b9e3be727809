// Objects that must outlive every host static destructor and atexit handler.
//
// A manager made on first use as a function-local static is destroyed in the
// order of the process's exit handlers, interleaved with the host's: a host
// global that logs in its destructor, or an atexit handler that does, could
// find the console or file manager already gone. Instead the managers live in
// storage without a destructor and are torn down together by the library's own
// unload hook, which runs after all of those (the shared object's finaliser on
// Linux, the detach of FreeLibrary on Windows), in an order of our choosing.
#pragma once

#include <atomic>
#include <mutex>
#include <new>

namespace Vexir {

// Storage for one object built on first use and destroyed only by Destroy.
// Trivially destructible, so the runtime registers nothing for it at exit. Two
// threads making the first call together get the one object.
template <typename T>
class LibrarySingleton {
public:
    constexpr LibrarySingleton() = default;
    LibrarySingleton(const LibrarySingleton&) = delete;
    LibrarySingleton& operator=(const LibrarySingleton&) = delete;

    // Null once destroyed: the object is not made a second time.
    T* Get()
    {
        std::call_once(_fBuilt, [this] { _pObject.store(new (_aStorage) T, std::memory_order_release); });
        return _pObject.load(std::memory_order_acquire);
    }

    // The object if it was ever built and not destroyed; never builds it.
    T* Existing() const { return _pObject.load(std::memory_order_acquire); }

    // From now on Get builds nothing: it yields what exists, if anything.
    void Seal()
    {
        std::call_once(_fBuilt, [] {});
    }

    bool Holds(const void* object) const
    {
        const T* held = _pObject.load(std::memory_order_acquire);
        return held && object == held;
    }

    // While the destructor runs, Get still yields the object, so code it calls
    // (a console asking for its manager) sees it whole.
    void Destroy()
    {
        Seal();
        T* object = _pObject.load(std::memory_order_acquire);
        if (!object)
            return;
        object->~T();
        _pObject.store(nullptr, std::memory_order_release);
    }

private:
    alignas(T) unsigned char _aStorage[sizeof(T)] = {};
    std::atomic<T*> _pObject{nullptr};
    std::once_flag _fBuilt;
};

// An object built at load that is never destroyed: for the objects that must
// still answer while the library tears its managers down (the assert handlers).
template <typename T>
union Immortal {
    constexpr Immortal() : object() {}
    ~Immortal() {}
    T object;
};

// Destroys the managers: consoles first (their last lines may still need the
// others), then the memory-usage log, assets, then files. Called once, by the
// unload hook.
void TearDownLibrary();

// Each manager's part of the teardown, defined beside its singleton.
void DestroyConsoleManager();
void DestroyMemoryUsageLog();
void DestroyAssetManager();
void DestroyFileManager();

}  // namespace Vexir
