#include "Foundation/ForkSafety.h"

#include <Vexir/Sync.h>

#include <pthread.h>

#include "Foundation/Deadline_Posix.h"

namespace Vexir {

namespace {

const int kMaxLocks = 8;

// Outermost first. Only the registering code and the fork handlers touch it,
// both under s_mRegistering.
struct ForkLock {
    pthread_mutex_t* lock;
    bool take;   // taken before a fork, or only renewed in the child
    bool taken;
};
ForkLock s_aLocks[kMaxLocks];
int s_iLocks = 0;
pthread_mutex_t s_mRegistering = PTHREAD_MUTEX_INITIALIZER;

pthread_mutex_t* Native(Mutex* lock) { return reinterpret_cast<pthread_mutex_t*>(lock->GetLockPtr()); }

void TakeAll()
{
    pthread_mutex_lock(&s_mRegistering);
    for (int i = 0; i < s_iLocks; ++i) {
        const timespec deadline = DeadlineOn(CLOCK_REALTIME, 1000);
        s_aLocks[i].taken = s_aLocks[i].take && pthread_mutex_timedlock(s_aLocks[i].lock, &deadline) == 0;
    }
}

void GiveBackAll()
{
    for (int i = s_iLocks - 1; i >= 0; --i)
        if (s_aLocks[i].taken)
            pthread_mutex_unlock(s_aLocks[i].lock);
    pthread_mutex_unlock(&s_mRegistering);
}

// The child's only thread owns each lock it took under its parent thread's id:
// the lock is made anew rather than released, as a recursive mutex checks
// its owner.
void RenewAll()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    for (int i = 0; i < s_iLocks; ++i)
        pthread_mutex_init(s_aLocks[i].lock, &attributes);
    pthread_mutexattr_destroy(&attributes);
    pthread_mutex_init(&s_mRegistering, nullptr);
}

void Register(Mutex* lock, bool take, bool outermost)
{
    static pthread_once_t s_once = PTHREAD_ONCE_INIT;
    pthread_once(&s_once, [] { pthread_atfork(TakeAll, GiveBackAll, RenewAll); });
    pthread_mutex_lock(&s_mRegistering);
    if (s_iLocks < kMaxLocks) {
        const int at = outermost ? 0 : s_iLocks;
        for (int i = s_iLocks; i > at; --i)
            s_aLocks[i] = s_aLocks[i - 1];
        s_aLocks[at] = {Native(lock), take, false};
        ++s_iLocks;
    }
    pthread_mutex_unlock(&s_mRegistering);
}

}  // namespace

void HoldAcrossFork(Mutex* lock, bool outermost) { Register(lock, true, outermost); }

void RenewAfterFork(Mutex* lock) { Register(lock, false, false); }

}  // namespace Vexir
