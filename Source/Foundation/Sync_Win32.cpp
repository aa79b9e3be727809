// Windows layer of the synchronisation classes: critical sections, kernel mutex
// and event objects, condition variables and the performance counter.
#include <Vexir/Sync.h>

#include <windows.h>

#include "Foundation/SyncPlatform.h"

namespace Vexir {

static_assert(sizeof(CRITICAL_SECTION) <= 40, "Mutex storage too small");
static_assert(sizeof(CONDITION_VARIABLE) <= 48, "ConditionVariable storage too small");

namespace {

CRITICAL_SECTION* Section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }

CONDITION_VARIABLE* Condition(unsigned char* storage) { return reinterpret_cast<CONDITION_VARIABLE*>(storage); }

DWORD Timeout(unsigned long timeout) { return timeout >= kInfinite ? INFINITE : static_cast<DWORD>(timeout); }

// The one wait rule of MutexWaitable and Event: signalled means success,
// anything else (time-out, failure, abandoned mutex) does not.
bool WaitForHandle(void* handle, unsigned long timeout)
{
    if (!handle)
        return false;
    return WaitForSingleObject(static_cast<HANDLE>(handle), Timeout(timeout)) == WAIT_OBJECT_0;
}

void CloseIfOpen(void* handle)
{
    if (handle)
        CloseHandle(static_cast<HANDLE>(handle));
}

}  // namespace

unsigned long long CurrentThreadToken() { return GetCurrentThreadId(); }

unsigned long CurrentProcessToken() { return GetCurrentProcessId(); }

long long ReadHighResCounter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

long long HighResCounterFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

Mutex::Mutex() { InitializeCriticalSection(Section(_aLock)); }
Mutex::~Mutex() { DeleteCriticalSection(Section(_aLock)); }
void Mutex::Acquire() { EnterCriticalSection(Section(_aLock)); }
void Mutex::Release() { LeaveCriticalSection(Section(_aLock)); }
_RTL_CRITICAL_SECTION* Mutex::GetLockPtr() { return Section(_aLock); }

MutexWaitable::MutexWaitable(const wchar_t* name) : _hHandle(CreateMutexW(nullptr, FALSE, name)) {}
MutexWaitable::~MutexWaitable() { CloseIfOpen(_hHandle); }
bool MutexWaitable::Acquire(unsigned long timeout) { return WaitForHandle(_hHandle, timeout); }
void MutexWaitable::Release()
{
    if (_hHandle)
        ReleaseMutex(static_cast<HANDLE>(_hHandle));
}

Event::Event(bool manualReset, bool initialState, const wchar_t* name)
    : _hHandle(CreateEventW(nullptr, manualReset, initialState, name))
{
}
Event::~Event() { CloseIfOpen(_hHandle); }
bool Event::Wait(unsigned long timeout) { return WaitForHandle(_hHandle, timeout); }
void Event::Set()
{
    if (_hHandle)
        SetEvent(static_cast<HANDLE>(_hHandle));
}
void Event::Reset()
{
    if (_hHandle)
        ResetEvent(static_cast<HANDLE>(_hHandle));
}
void Event::Pulse()
{
    if (_hHandle)
        PulseEvent(static_cast<HANDLE>(_hHandle));
}

ConditionVariable::ConditionVariable() : _pLock(nullptr) { InitializeConditionVariable(Condition(_aCondition)); }
ConditionVariable::~ConditionVariable() = default;
void ConditionVariable::SetLock(Mutex* lock) { _pLock = lock; }
void ConditionVariable::Sleep(unsigned long timeout)
{
    SleepConditionVariableCS(Condition(_aCondition), _pLock->GetLockPtr(), Timeout(timeout));
}
void ConditionVariable::Wake() { WakeConditionVariable(Condition(_aCondition)); }
void ConditionVariable::WakeAll() { WakeAllConditionVariable(Condition(_aCondition)); }

}  // namespace Vexir
