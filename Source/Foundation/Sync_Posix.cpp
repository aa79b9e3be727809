// Linux layer of the in-process synchronisation classes: a recursive pthread
// mutex in place of the critical section, a pthread condition variable on the
// monotonic clock, and the monotonic clock as the high-resolution counter.
#include <Vexir/Sync.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "Foundation/Deadline_Posix.h"
#include "Foundation/SyncPlatform.h"

namespace Vexir {

static_assert(sizeof(pthread_mutex_t) <= 40, "Mutex storage too small");
static_assert(sizeof(pthread_cond_t) <= 48, "ConditionVariable storage too small");

namespace {

pthread_mutex_t* NativeMutex(unsigned char* storage) { return reinterpret_cast<pthread_mutex_t*>(storage); }

pthread_cond_t* NativeCondition(unsigned char* storage) { return reinterpret_cast<pthread_cond_t*>(storage); }

}  // namespace

unsigned long long CurrentThreadToken() { return static_cast<unsigned long long>(syscall(SYS_gettid)); }

unsigned long CurrentProcessToken() { return static_cast<unsigned long>(getpid()); }

long long ReadHighResCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long long HighResCounterFrequency() { return 1000000000LL; }

Mutex::Mutex()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(NativeMutex(_aLock), &attributes);
    pthread_mutexattr_destroy(&attributes);
}
Mutex::~Mutex() { pthread_mutex_destroy(NativeMutex(_aLock)); }
void Mutex::Acquire() { pthread_mutex_lock(NativeMutex(_aLock)); }
void Mutex::Release() { pthread_mutex_unlock(NativeMutex(_aLock)); }
_RTL_CRITICAL_SECTION* Mutex::GetLockPtr() { return reinterpret_cast<_RTL_CRITICAL_SECTION*>(_aLock); }

ConditionVariable::ConditionVariable() : _pLock(nullptr)
{
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(NativeCondition(_aCondition), &attributes);
    pthread_condattr_destroy(&attributes);
}
ConditionVariable::~ConditionVariable() { pthread_cond_destroy(NativeCondition(_aCondition)); }
void ConditionVariable::SetLock(Mutex* lock) { _pLock = lock; }
void ConditionVariable::Sleep(unsigned long timeout)
{
    pthread_mutex_t* mutex = reinterpret_cast<pthread_mutex_t*>(_pLock->GetLockPtr());
    if (timeout >= kInfinite) {
        pthread_cond_wait(NativeCondition(_aCondition), mutex);
        return;
    }
    const timespec deadline = MonotonicDeadline(timeout);
    pthread_cond_timedwait(NativeCondition(_aCondition), mutex, &deadline);
}
void ConditionVariable::Wake() { pthread_cond_signal(NativeCondition(_aCondition)); }
void ConditionVariable::WakeAll() { pthread_cond_broadcast(NativeCondition(_aCondition)); }

}  // namespace Vexir
