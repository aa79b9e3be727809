/// @file
/// Locks, events, condition variables and a high-resolution timer: thin wrappers
/// over the operating system's own objects (critical sections, kernel mutexes and
/// events, condition variables and the performance counter on Windows; pthread
/// objects, shared memory and the monotonic clock on Linux).
///
/// Every operation may be called from any thread. Timeouts are in milliseconds;
/// kInfinite waits for ever.
///
/// The rule for the whole library, which these objects keep: a host's thread
/// never waits on anything outside the process (a peer, a display, a pipe, a
/// child program, another process's lock) without a bound, never waits on
/// anything slower than a system call while it holds the console manager's
/// lock, and is never ended by the library (no signal, no exception, no abort).
/// The waits without a bound that these classes offer are the caller's choice:
/// kInfinite, and Mutex, ReadWriteLock and ConditionVariable, which serve the
/// threads of one process.
#pragma once

#include <Vexir/Platform.h>

/// The critical section behind a Mutex. On Windows this is the system's
/// CRITICAL_SECTION itself; on Linux it is opaque and stands for the recursive
/// pthread_mutex_t that the Mutex holds.
struct _RTL_CRITICAL_SECTION;

namespace Vexir {

/// Base of the classes that must not be copied.
/// Derive privately; copying or assigning a derived object does not compile.
class VEXIR_API Uncopyable {
protected:
    /// For derived classes only.
    Uncopyable() = default;
    /// Not virtual: objects are never deleted through this base.
    ~Uncopyable() = default;

public:
    Uncopyable(const Uncopyable&) = delete;
    Uncopyable& operator=(const Uncopyable&) = delete;
};

/// A recursive lock: the owning thread may acquire it again and releases it as
/// often as it acquired it. Blocks without a timeout.
/// Within one process only; see MutexWaitable for a lock with a timeout or one
/// shared between processes.
class VEXIR_API Mutex : private Uncopyable {
public:
    Mutex();
    ~Mutex();

    /// Waits until the calling thread owns the lock.
    void Acquire();
    /// Gives back one acquisition; only the owning thread may call it.
    void Release();

    /// The operating system's lock object, for calls that take it directly.
    /// On Linux, a pthread_mutex_t in disguise. Valid while the Mutex lives.
    _RTL_CRITICAL_SECTION* GetLockPtr();

private:
    alignas(8) unsigned char _aLock[40];
};

/// A kernel mutex that can be waited on with a timeout and, when named, is shared
/// by every process that opens the same name.
///
/// Linux: a named mutex or event lives in a small file "vexir.<uid>.<name>" of
/// /dev/shm, so names are shared by the processes of one user, as Windows
/// keeps them within a session; "%" and "/" in a name are escaped, so every
/// name is an object of its own. A name whose file name would be longer than
/// 255 bytes makes no object. Every process holding a name holds a lock on
/// its file that the kernel drops when the process ends, however it ends; the
/// object lasts while anyone holds it and is then removed, and whoever opens a
/// name nobody holds starts it afresh, so nothing a killed process left behind
/// is ever trusted. A forked child holds the names it inherited of its own.
/// When a process dies while owning the mutex, the next Acquire returns false
/// but leaves the caller the owner, exactly like an abandoned mutex on Windows.
///
/// Under a name that an Event holds no mutex is made, as on Windows: every
/// Acquire returns false at once and Release does nothing.
///
/// Recursive, as Mutex is: each successful Acquire needs its Release.
class VEXIR_API MutexWaitable : private Uncopyable {
public:
    /// Creates the mutex, unowned, or opens the one of that name. A null name
    /// makes one of this object's own.
    explicit MutexWaitable(const wchar_t* name = nullptr);
    /// Closes its handle; a named mutex lives on while other objects have it open.
    ~MutexWaitable();

    /// True only when the mutex was acquired cleanly. A timeout, a failure, an
    /// abandoned mutex and a mutex that could not be created all give false.
    /// A timeout of 0 tries without waiting; kInfinite waits for ever.
    bool Acquire(unsigned long timeout);
    /// Gives back one acquisition; only the owning thread may call it.
    void Release();

private:
    void* _hHandle;
};

/// A kernel event with manual or automatic reset; named events are shared between
/// processes as named mutexes are. Under a name that a MutexWaitable holds no
/// event is made, as on Windows: every Wait returns false at once and Set, Reset
/// and Pulse do nothing.
///
/// Linux: the event takes no lock; a waiter that is killed or stopped while it
/// waits holds up nobody, and Set, Reset and Pulse never wait.
class VEXIR_API Event : private Uncopyable {
public:
    /// A manual-reset event stays signalled until Reset; an automatic one is
    /// unsignalled by the wait it releases. `initialState` true starts it
    /// signalled. A named event that exists already is opened as it is: the
    /// flags of its creator hold, not these.
    Event(bool manualReset, bool initialState, const wchar_t* name = nullptr);
    /// Closes its handle; a named event lives on while other objects have it open.
    ~Event();

    /// True only when the event was signalled within the timeout. An auto-reset
    /// event is unsignalled again by the wait that took it.
    /// A timeout of 0 only tests; kInfinite waits for ever.
    bool Wait(unsigned long timeout);
    /// Signals the event, releasing its waiters (one, for an auto-reset event).
    void Set();
    /// Unsignals the event.
    void Reset();
    /// Releases the threads waiting right now (all of them for a manual-reset
    /// event, at most one for an auto-reset event) and leaves the event
    /// unsignalled. With no waiter the pulse is lost.
    void Pulse();

private:
    void* _hHandle;
};

/// A condition variable bound to one Mutex, set with SetLock before the first Sleep.
class VEXIR_API ConditionVariable : private Uncopyable {
public:
    ConditionVariable();
    ~ConditionVariable();

    /// The Mutex that Sleep releases and re-acquires. Not owned; it must
    /// outlive every Sleep.
    void SetLock(Mutex* lock);
    /// The caller holds the lock once. Releases it, waits until woken or until the
    /// timeout runs out, and re-acquires it. A timeout is not told apart from a
    /// wake-up (nor from a spurious one): callers re-check their condition.
    void Sleep(unsigned long timeout);
    /// Wakes one sleeping thread, if any is sleeping.
    void Wake();
    /// Wakes every sleeping thread.
    void WakeAll();

private:
    Mutex* _pLock;
    alignas(8) unsigned char _aCondition[48];
};

/// Readers share, writers exclude everyone; readers are preferred: new readers
/// enter while at least one reader is inside, even when a writer waits.
///
/// The lock belongs to no reader: the last reader out lets writers in, whichever
/// thread that is. A writer may take the write side again on its own thread
/// (each AcquireWrite needs its ReleaseWrite) and may also read under it; such a
/// nested read keeps every other thread out until the write is released, and
/// a read still held then counts as an ordinary read. A thread that reads and
/// then asks for the write side waits for ever, as it waits for itself to leave.
///
/// Within one process; waits have no timeout.
class VEXIR_API ReadWriteLock : private Uncopyable {
public:
    ReadWriteLock();
    ~ReadWriteLock();

    /// Waits while another thread writes, then enters as a reader.
    void AcquireRead();
    /// Any reader's thread may give back a read, so the lock cannot tell a
    /// stray release while others read from theirs; with no reader inside, a
    /// release changes nothing.
    void ReleaseRead();
    /// Waits until no reader and no other writer is inside, then enters as
    /// the writer.
    void AcquireWrite();
    /// Only the writing thread ends its write; a release by any other thread,
    /// or with no writer, changes nothing.
    void ReleaseWrite();

private:
    bool WrittenByCaller() const;

    int _iReaders;
    unsigned long long _uWriter;  ///< the writing thread, 0 when none
    int _iWriteDepth;             ///< write acquisitions of the writing thread
    int _iWriterReads;            ///< reads the writing thread holds under its write
    Mutex _mState;
    ConditionVariable _cvChanged;
};

/// Measures elapsed time from a start stamp of the high-resolution counter.
/// Copies measure from the same start.
class VEXIR_API ManualTimer {
public:
    /// Starts measuring now.
    ManualTimer();
    /// A timer with the same start stamp.
    ManualTimer(const ManualTimer&) = default;
    /// Takes the other timer's start stamp.
    ManualTimer& operator=(const ManualTimer&) = default;
    ~ManualTimer() = default;

    /// Restarts from now.
    void Reset();
    /// Milliseconds since the start stamp, with fractions. Does not reset.
    double Elapsed() const;

private:
    long long _iStart;
};

}  // namespace Vexir
