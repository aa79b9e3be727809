// The reader/writer lock as one small state guarded by a mutex: how many
// readers are inside, and which thread writes. Nothing here is bound to the
// thread that let the readers in, so the last reader out may be any of them.
#include <Vexir/Sync.h>

#include "Foundation/AutoMutexLock.h"
#include "Foundation/SyncPlatform.h"

namespace Vexir {

ReadWriteLock::ReadWriteLock() : _iReaders(0), _uWriter(0), _iWriteDepth(0), _iWriterReads(0)
{
    _cvChanged.SetLock(&_mState);
}

ReadWriteLock::~ReadWriteLock() = default;

// Only the writing thread itself can make this true or false, so the answer
// holds after the state lock is released.
bool ReadWriteLock::WrittenByCaller() const { return _iWriteDepth > 0 && _uWriter == CurrentThreadToken(); }

void ReadWriteLock::AcquireRead()
{
    AutoMutexLock lock(&_mState);
    if (WrittenByCaller()) {
        ++_iWriterReads;
        return;
    }
    while (_iWriteDepth > 0)
        _cvChanged.Sleep(kInfinite);
    ++_iReaders;
}

void ReadWriteLock::ReleaseRead()
{
    AutoMutexLock lock(&_mState);
    if (WrittenByCaller()) {
        if (_iWriterReads > 0)
            --_iWriterReads;
        return;
    }
    if (_iReaders == 0)
        return;
    if (--_iReaders == 0)
        _cvChanged.WakeAll();
}

void ReadWriteLock::AcquireWrite()
{
    AutoMutexLock lock(&_mState);
    if (WrittenByCaller()) {
        ++_iWriteDepth;
        return;
    }
    while (_iReaders > 0 || _iWriteDepth > 0)
        _cvChanged.Sleep(kInfinite);
    _uWriter = CurrentThreadToken();
    _iWriteDepth = 1;
}

void ReadWriteLock::ReleaseWrite()
{
    AutoMutexLock lock(&_mState);
    // Only the writer can end its write; another thread's release is unmatched.
    if (!WrittenByCaller() || --_iWriteDepth > 0)
        return;
    // Reads taken under the write outlive it as ordinary reads.
    _iReaders += _iWriterReads;
    _iWriterReads = 0;
    _uWriter = 0;
    _cvChanged.WakeAll();
}

}  // namespace Vexir
