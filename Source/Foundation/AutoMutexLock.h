// Scoped ownership of a Mutex: acquired on construction, released on
// destruction, also when an exception leaves the scope.
#pragma once

#include <Vexir/Sync.h>

namespace Vexir {

class AutoMutexLock : private Uncopyable {
public:
    explicit AutoMutexLock(Mutex* mutex) : _pMutex(mutex) { _pMutex->Acquire(); }
    ~AutoMutexLock() { _pMutex->Release(); }

private:
    Mutex* _pMutex;
};

}  // namespace Vexir
