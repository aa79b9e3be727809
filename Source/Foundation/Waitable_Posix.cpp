// Linux layer of the kernel mutex and event objects. Both live in a SharedBlock
// so that named ones work across processes: the mutex is a robust, recursive,
// process-shared pthread mutex (a dead owner makes the next acquire report an
// abandoned mutex); the event is a flag guarded by a process-shared mutex and
// condition variable, with the bookkeeping that Pulse needs.
#include <Vexir/Sync.h>

#include <pthread.h>

#include <cerrno>

#include "Foundation/Deadline_Posix.h"
#include "Foundation/SharedBlock_Posix.h"

namespace Vexir {

namespace {

void InitialiseSharedMutex(pthread_mutex_t* mutex, int type)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, type);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

enum class LockResult { Acquired, Abandoned, Failed };

// Locks a robust mutex within the timeout. An abandoned mutex is made consistent
// again and left owned by the caller.
LockResult LockWithin(pthread_mutex_t* mutex, unsigned long timeout)
{
    int result;
    if (timeout == 0) {
        result = pthread_mutex_trylock(mutex);
    } else if (timeout >= kInfinite) {
        result = pthread_mutex_lock(mutex);
    } else {
        // The wall clock, not the monotonic one: pthread_mutex_clocklock escapes
        // ThreadSanitizer, which would then misread every later unlock.
        const timespec deadline = DeadlineOn(CLOCK_REALTIME, timeout);
        result = pthread_mutex_timedlock(mutex, &deadline);
    }
    if (result == EOWNERDEAD) {
        pthread_mutex_consistent(mutex);
        return LockResult::Abandoned;
    }
    return result == 0 ? LockResult::Acquired : LockResult::Failed;
}

struct SharedMutex {
    pthread_mutex_t mutex;
};

void InitialiseMutexPayload(void* payload, const void*)
{
    InitialiseSharedMutex(&static_cast<SharedMutex*>(payload)->mutex, PTHREAD_MUTEX_RECURSIVE);
}

struct SharedEvent {
    pthread_mutex_t lock;
    pthread_cond_t changed;
    int manualReset;
    int signalled;
    int waiters;
    int pulseReleases;              // auto-reset: waiters a pulse may still release
    unsigned long long pulseCount;  // manual-reset: waiters from before a pulse leave
};

struct EventFlags {
    bool manualReset;
    bool initialState;
};

void InitialiseEventPayload(void* payload, const void* context)
{
    auto* event = static_cast<SharedEvent*>(payload);
    const auto* flags = static_cast<const EventFlags*>(context);
    event->manualReset = flags->manualReset ? 1 : 0;
    event->signalled = flags->initialState ? 1 : 0;
    InitialiseSharedMutex(&event->lock, PTHREAD_MUTEX_NORMAL);
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&event->changed, &attributes);
    pthread_condattr_destroy(&attributes);
}

SharedBlock* Block(void* handle) { return static_cast<SharedBlock*>(handle); }
SharedMutex* MutexOf(void* handle) { return static_cast<SharedMutex*>(Block(handle)->Payload()); }
SharedEvent* EventOf(void* handle) { return static_cast<SharedEvent*>(Block(handle)->Payload()); }

// The event's own lock is held only for a few instructions; a process that died
// inside it left the state as it was, so the lock is simply taken over.
class EventLock {
public:
    explicit EventLock(SharedEvent* event) : _pEvent(event) { LockWithin(&event->lock, kInfinite); }
    ~EventLock() { pthread_mutex_unlock(&_pEvent->lock); }
    EventLock(const EventLock&) = delete;
    EventLock& operator=(const EventLock&) = delete;

private:
    SharedEvent* _pEvent;
};

// Takes the signal if the event is set; an auto-reset event is reset by it.
bool TakeSignal(SharedEvent* event)
{
    if (!event->signalled)
        return false;
    if (!event->manualReset)
        event->signalled = 0;
    return true;
}

bool ReleasedByPulse(SharedEvent* event, unsigned long long pulseCountAtStart)
{
    if (event->manualReset)
        return event->pulseCount != pulseCountAtStart;
    if (event->pulseReleases > 0) {
        --event->pulseReleases;
        return true;
    }
    return false;
}

bool WaitForEvent(SharedEvent* event, unsigned long timeout)
{
    EventLock lock(event);
    if (TakeSignal(event))
        return true;
    if (timeout == 0)
        return false;

    const timespec deadline = MonotonicDeadline(timeout >= kInfinite ? 0 : timeout);
    const unsigned long long pulseCountAtStart = event->pulseCount;
    ++event->waiters;
    bool released = false;
    for (;;) {
        if (TakeSignal(event) || ReleasedByPulse(event, pulseCountAtStart)) {
            released = true;
            break;
        }
        const int result = timeout >= kInfinite ? pthread_cond_wait(&event->changed, &event->lock)
                                                : pthread_cond_timedwait(&event->changed, &event->lock, &deadline);
        if (result == EOWNERDEAD)
            pthread_mutex_consistent(&event->lock);
        else if (result == ETIMEDOUT)
            break;
    }
    --event->waiters;
    if (event->pulseReleases > event->waiters)
        event->pulseReleases = event->waiters;
    return released;
}

}  // namespace

MutexWaitable::MutexWaitable(const wchar_t* name)
    : _hHandle(SharedBlock::Open(name, SharedBlockKind::Mutex, sizeof(SharedMutex), InitialiseMutexPayload, nullptr))
{
}

MutexWaitable::~MutexWaitable()
{
    if (_hHandle)
        Block(_hHandle)->Close();
}

bool MutexWaitable::Acquire(unsigned long timeout)
{
    if (!_hHandle)
        return false;
    return LockWithin(&MutexOf(_hHandle)->mutex, timeout) == LockResult::Acquired;
}

void MutexWaitable::Release()
{
    if (_hHandle)
        pthread_mutex_unlock(&MutexOf(_hHandle)->mutex);
}

// As with a named kernel event, the creator's flags hold for everyone who opens it later.
Event::Event(bool manualReset, bool initialState, const wchar_t* name) : _hHandle(nullptr)
{
    const EventFlags flags{manualReset, initialState};
    _hHandle = SharedBlock::Open(name, SharedBlockKind::Event, sizeof(SharedEvent), InitialiseEventPayload, &flags);
}

Event::~Event()
{
    if (_hHandle)
        Block(_hHandle)->Close();
}

bool Event::Wait(unsigned long timeout) { return _hHandle && WaitForEvent(EventOf(_hHandle), timeout); }

void Event::Set()
{
    if (!_hHandle)
        return;
    SharedEvent* event = EventOf(_hHandle);
    EventLock lock(event);
    event->signalled = 1;
    pthread_cond_broadcast(&event->changed);
}

void Event::Reset()
{
    if (!_hHandle)
        return;
    SharedEvent* event = EventOf(_hHandle);
    EventLock lock(event);
    event->signalled = 0;
}

void Event::Pulse()
{
    if (!_hHandle)
        return;
    SharedEvent* event = EventOf(_hHandle);
    EventLock lock(event);
    if (event->waiters > 0) {
        if (event->manualReset)
            ++event->pulseCount;
        else if (event->pulseReleases < 1)
            event->pulseReleases = 1;
        pthread_cond_broadcast(&event->changed);
    }
    event->signalled = 0;
}

}  // namespace Vexir
