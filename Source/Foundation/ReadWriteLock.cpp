// Reader/writer protocol shared by every platform: the first reader in takes the
// writer gate on behalf of all readers and the last reader out gives it back.
#include <Vexir/Sync.h>

#include "Foundation/AutoMutexLock.h"
#include "Foundation/SyncPlatform.h"

namespace Vexir {

ReadWriteLock::WriterGate::WriterGate() : _uOwner(0), _iDepth(0) { _cvFree.SetLock(&_mState); }

void ReadWriteLock::WriterGate::Enter()
{
    const unsigned long long self = CurrentThreadToken();
    AutoMutexLock lock(&_mState);
    if (_iDepth > 0 && _uOwner == self) {
        ++_iDepth;
        return;
    }
    while (_iDepth > 0)
        _cvFree.Sleep(kInfinite);
    _uOwner = self;
    _iDepth = 1;
}

void ReadWriteLock::WriterGate::Leave()
{
    AutoMutexLock lock(&_mState);
    if (_iDepth == 0)
        return;
    if (--_iDepth == 0) {
        _uOwner = 0;
        _cvFree.Wake();
    }
}

ReadWriteLock::ReadWriteLock() : _iReaders(0) {}

ReadWriteLock::~ReadWriteLock() = default;

void ReadWriteLock::AcquireRead()
{
    // The count guard stays held while the first reader waits for the gate, so
    // later readers queue behind it instead of slipping past a writer.
    AutoMutexLock lock(&_mCountGuard);
    if (_iReaders == 0)
        _gWriter.Enter();
    ++_iReaders;
}

void ReadWriteLock::ReleaseRead()
{
    AutoMutexLock lock(&_mCountGuard);
    --_iReaders;
    if (_iReaders == 0)
        _gWriter.Leave();
    else if (_iReaders < 0)
        _iReaders = 0;
}

void ReadWriteLock::AcquireWrite() { _gWriter.Enter(); }

void ReadWriteLock::ReleaseWrite() { _gWriter.Leave(); }

}  // namespace Vexir
