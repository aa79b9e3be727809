// Objects that must outlive every host static destructor and atexit handler.
//
// A manager made on first use as a function-local static is destroyed in the
// order of the process's exit handlers, interleaved with the host's: a host
// global that logs in its destructor, or an atexit handler that does, could
// find the console or file manager already gone. Instead the managers live in
// storage without a destructor and are torn down together by the library's own
// unload hook, which runs after all of those (the shared object's finaliser on
// Linux, process detach on Windows), in an order of our choosing.
#pragma once

#include <new>

namespace Vexir {

// Storage for one object built on first use and destroyed only by Destroy.
// Trivially destructible, so the runtime registers nothing for it at exit.
template <typename T>
class LibrarySingleton {
public:
    constexpr LibrarySingleton() = default;
    LibrarySingleton(const LibrarySingleton&) = delete;
    LibrarySingleton& operator=(const LibrarySingleton&) = delete;

    // Null once destroyed: the object is not made a second time.
    T* Get()
    {
        if (!_pObject && !_bDestroyed)
            _pObject = new (_aStorage) T;
        return _pObject;
    }

    bool Holds(const void* object) const { return _pObject && object == _pObject; }

    // While the destructor runs, Get still yields the object, so code it calls
    // (a console asking for its manager) sees it whole.
    void Destroy()
    {
        if (!_pObject)
            return;
        _bDestroyed = true;
        _pObject->~T();
        _pObject = nullptr;
    }

private:
    alignas(T) unsigned char _aStorage[sizeof(T)] = {};
    T* _pObject = nullptr;
    bool _bDestroyed = false;
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
// others), then assets, then files. Called once, by the unload hook.
void TearDownLibrary();

// Each manager's part of the teardown, defined beside its singleton.
void DestroyConsoleManager();
void DestroyAssetManager();
void DestroyFileManager();

}  // namespace Vexir
