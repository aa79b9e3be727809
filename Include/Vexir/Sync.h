// Locks, events, condition variables and a high-resolution timer: thin wrappers
// over the operating system's own objects (critical sections, kernel mutexes and
// events, condition variables and the performance counter on Windows; pthread
// objects, shared memory and the monotonic clock on Linux).
//
// Every operation may be called from any thread. Timeouts are in milliseconds;
// kInfinite waits for ever.
#pragma once

#include <Vexir/Platform.h>

// The critical section behind a Mutex. On Windows this is the system's
// CRITICAL_SECTION itself; on Linux it is opaque and stands for the recursive
// pthread_mutex_t that the Mutex holds.
struct _RTL_CRITICAL_SECTION;

namespace Vexir {

// Base of the classes that must not be copied.
class VEXIR_API Uncopyable {
protected:
    Uncopyable() = default;
    ~Uncopyable() = default;

public:
    Uncopyable(const Uncopyable&) = delete;
    Uncopyable& operator=(const Uncopyable&) = delete;
};

// A recursive lock: the owning thread may acquire it again and releases it as
// often as it acquired it. Blocks without a timeout.
class VEXIR_API Mutex : private Uncopyable {
public:
    Mutex();
    ~Mutex();

    void Acquire();
    void Release();

    // The operating system's lock object, for calls that take it directly.
    _RTL_CRITICAL_SECTION* GetLockPtr();

private:
    alignas(8) unsigned char _aLock[40];
};

// A kernel mutex that can be waited on with a timeout and, when named, is shared
// by every process that opens the same name.
//
// Linux: a named mutex lives in shared memory ("/vexir.<name>") and is removed
// when the last process that opened it closes it. When a process dies while
// owning it, the next Acquire returns false but leaves the caller the owner,
// exactly like an abandoned mutex on Windows.
//
// Under a name that an Event holds no mutex is made, as on Windows: every
// Acquire returns false at once and Release does nothing.
class VEXIR_API MutexWaitable : private Uncopyable {
public:
    explicit MutexWaitable(const wchar_t* name = nullptr);
    ~MutexWaitable();

    // True only when the mutex was acquired cleanly. A timeout, a failure, an
    // abandoned mutex and a mutex that could not be created all give false.
    bool Acquire(unsigned long timeout);
    void Release();

private:
    void* _hHandle;
};

// A kernel event with manual or automatic reset; named events are shared between
// processes as named mutexes are. Under a name that a MutexWaitable holds no
// event is made, as on Windows: every Wait returns false at once and Set, Reset
// and Pulse do nothing.
class VEXIR_API Event : private Uncopyable {
public:
    Event(bool manualReset, bool initialState, const wchar_t* name = nullptr);
    ~Event();

    // True only when the event was signalled within the timeout. An auto-reset
    // event is unsignalled again by the wait that took it.
    bool Wait(unsigned long timeout);
    void Set();
    void Reset();
    // Releases the threads waiting right now (all of them for a manual-reset
    // event, at most one for an auto-reset event) and leaves the event
    // unsignalled. With no waiter the pulse is lost.
    void Pulse();

private:
    void* _hHandle;
};

// A condition variable bound to one Mutex, set with SetLock before the first Sleep.
class VEXIR_API ConditionVariable : private Uncopyable {
public:
    ConditionVariable();
    ~ConditionVariable();

    void SetLock(Mutex* lock);
    // The caller holds the lock once. Releases it, waits until woken or until the
    // timeout runs out, and re-acquires it. A timeout is not told apart from a
    // wake-up (nor from a spurious one): callers re-check their condition.
    void Sleep(unsigned long timeout);
    void Wake();
    void WakeAll();

private:
    Mutex* _pLock;
    alignas(8) unsigned char _aCondition[48];
};

// Readers share, writers exclude everyone; readers are preferred: new readers
// enter while at least one reader is inside, even when a writer waits.
//
// The lock belongs to no reader: the last reader out lets writers in, whichever
// thread that is. A writer may take the write side again on its own thread
// (each AcquireWrite needs its ReleaseWrite) and may also read under it; such a
// nested read keeps every other thread out until the write is released, and
// a read still held then counts as an ordinary read. A thread that reads and
// then asks for the write side waits for ever, as it waits for itself to leave.
class VEXIR_API ReadWriteLock : private Uncopyable {
public:
    ReadWriteLock();
    ~ReadWriteLock();

    void AcquireRead();
    // Any reader's thread may give back a read, so the lock cannot tell a
    // stray release while others read from theirs; with no reader inside, a
    // release changes nothing.
    void ReleaseRead();
    void AcquireWrite();
    // Only the writing thread ends its write; a release by any other thread,
    // or with no writer, changes nothing.
    void ReleaseWrite();

private:
    bool WrittenByCaller() const;

    int _iReaders;
    unsigned long long _uWriter;  // the writing thread, 0 when none
    int _iWriteDepth;             // write acquisitions of the writing thread
    int _iWriterReads;            // reads the writing thread holds under its write
    Mutex _mState;
    ConditionVariable _cvChanged;
};

// Measures elapsed time from a start stamp of the high-resolution counter.
// Copies measure from the same start.
class VEXIR_API ManualTimer {
public:
    ManualTimer();
    ManualTimer(const ManualTimer&) = default;
    ManualTimer& operator=(const ManualTimer&) = default;
    ~ManualTimer() = default;

    void Reset();
    // Milliseconds since the start stamp, with fractions. Does not reset.
    double Elapsed() const;

private:
    long long _iStart;
};

}  // namespace Vexir
