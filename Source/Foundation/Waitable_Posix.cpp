// Linux layer of the kernel mutex and event objects. Both live in a SharedBlock
// so that named ones work across processes, and both survive a participant
// that is killed or stopped at any point:
// - the mutex is a robust, recursive, process-shared pthread mutex: a dead
//   owner makes the next acquire report an abandoned mutex;
// - the event holds no lock at all. Its state is a few atomic words, and
//   waiters sleep on a futex word that every Set and Pulse changes. A waiter
//   that dies holds nothing, so it can wedge nobody (a condition variable in
//   shared memory can be left jammed by a waiter killed inside it).
#include <Vexir/Sync.h>

#include <linux/futex.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <new>

#include "Foundation/Deadline_Posix.h"
#include "Foundation/SharedBlock_Posix.h"

namespace Vexir {

namespace {

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
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&static_cast<SharedMutex*>(payload)->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

// The event's whole state. `word` is the futex: bit 0 is the signalled state,
// the bits above it count the Sets and Pulses, so that a waiter about to
// sleep on the value it saw wakes at once when either came first.
//
// Pulse releases only the threads waiting at that moment. Each waiter takes
// a ticket when it starts to wait; a pulse of a manual-reset event counts in
// `pulses`, and a waiter that saw fewer goes; a pulse of an auto-reset event
// offers one release to the tickets drawn before it (`offer`: the first
// ticket not covered, shifted, and bit 0 while the release is still to take).
// Waiters that died never take theirs, and the pulse is then lost, as it is
// with no waiter at all.
struct SharedEvent {
    std::atomic<std::uint32_t> word;
    std::uint32_t manualReset;
    std::atomic<std::uint64_t> tickets;
    std::atomic<std::uint64_t> pulses;
    std::atomic<std::uint64_t> offer;
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the event's words must be lock-free across processes");

const std::uint32_t kSignalled = 1;
const std::uint32_t kChange = 2;

struct EventFlags {
    bool manualReset;
    bool initialState;
};

void InitialiseEventPayload(void* payload, const void* context)
{
    auto* event = new (payload) SharedEvent{};
    const auto* flags = static_cast<const EventFlags*>(context);
    event->manualReset = flags->manualReset ? 1 : 0;
    event->word.store(flags->initialState ? kSignalled : 0);
}

// Sleeps while the word still holds `seen`, for at most `remainingMs` (-1: no limit).
void SleepOnWord(std::atomic<std::uint32_t>& word, std::uint32_t seen, long long remainingMs)
{
    timespec limit;
    timespec* timeout = nullptr;
    if (remainingMs >= 0) {
        limit.tv_sec = static_cast<time_t>(remainingMs / 1000);
        limit.tv_nsec = static_cast<long>(remainingMs % 1000) * 1000000L;
        timeout = &limit;
    }
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT, seen, timeout, nullptr, 0);
}

void WakeEveryone(std::atomic<std::uint32_t>& word)
{
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

// Changes the word by `change` and wakes the sleepers.
template <typename Change>
void Announce(SharedEvent* event, Change change)
{
    std::uint32_t seen = event->word.load();
    while (!event->word.compare_exchange_weak(seen, change(seen) + kChange)) {
    }
    WakeEveryone(event->word);
}

// Takes the signal if the event is set; an auto-reset event is reset by it.
bool TakeSignal(SharedEvent* event)
{
    std::uint32_t seen = event->word.load();
    while (seen & kSignalled) {
        if (event->manualReset || event->word.compare_exchange_weak(seen, seen & ~kSignalled))
            return true;
    }
    return false;
}

bool TakePulse(SharedEvent* event, std::uint64_t ticket, std::uint64_t pulsesAtStart)
{
    if (event->manualReset)
        return event->pulses.load() != pulsesAtStart;
    std::uint64_t offer = event->offer.load();
    while ((offer & 1) && ticket < (offer >> 1)) {
        if (event->offer.compare_exchange_weak(offer, offer & ~std::uint64_t(1)))
            return true;
    }
    return false;
}

long long MillisecondsUntil(const timespec& deadline)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (deadline.tv_sec - now.tv_sec) * 1000LL + (deadline.tv_nsec - now.tv_nsec) / 1000000L;
}

bool WaitForEvent(SharedEvent* event, unsigned long timeout)
{
    if (TakeSignal(event))
        return true;
    if (timeout == 0)
        return false;
    const bool forever = timeout >= kInfinite;
    const timespec deadline = MonotonicDeadline(forever ? 0 : timeout);
    // Counted before the ticket: a pulse between the two then releases this
    // waiter rather than passing it by.
    const std::uint64_t pulsesAtStart = event->pulses.load();
    const std::uint64_t ticket = event->tickets.fetch_add(1);
    for (;;) {
        const std::uint32_t seen = event->word.load();
        if (TakeSignal(event) || TakePulse(event, ticket, pulsesAtStart))
            return true;
        long long remaining = -1;
        if (!forever) {
            remaining = MillisecondsUntil(deadline);
            if (remaining <= 0)
                return false;
        }
        SleepOnWord(event->word, seen, remaining);
    }
}

SharedBlock* Block(void* handle) { return static_cast<SharedBlock*>(handle); }
SharedMutex* MutexOf(void* handle) { return static_cast<SharedMutex*>(Block(handle)->Payload()); }
SharedEvent* EventOf(void* handle) { return static_cast<SharedEvent*>(Block(handle)->Payload()); }

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
    const LockResult result = LockWithin(&MutexOf(_hHandle)->mutex, timeout);
    if (result != LockResult::Failed)
        Block(_hHandle)->NoteHeld();
    return result == LockResult::Acquired;
}

void MutexWaitable::Release()
{
    if (_hHandle && pthread_mutex_unlock(&MutexOf(_hHandle)->mutex) == 0)
        Block(_hHandle)->NoteReleased();
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
    if (_hHandle)
        Announce(EventOf(_hHandle), [](std::uint32_t word) { return word | kSignalled; });
}

void Event::Reset()
{
    if (_hHandle)
        EventOf(_hHandle)->word.fetch_and(~kSignalled);
}

void Event::Pulse()
{
    if (!_hHandle)
        return;
    SharedEvent* event = EventOf(_hHandle);
    if (event->manualReset)
        event->pulses.fetch_add(1);
    else
        event->offer.store((event->tickets.load() << 1) | 1);
    Announce(event, [](std::uint32_t word) { return word & ~kSignalled; });
}

}  // namespace Vexir
