#include <Vexir/Sync.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>


namespace {

using namespace Vexir;

// Long enough for a blocked thread to have got in if it wrongly could.
void GiveOtherThreadsTime() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

// Runs `body` on a thread and tells whether it has finished.
class Worker {
public:
    template <typename Body>
    explicit Worker(Body body) : _thread([this, body] {
          body();
          _bDone = true;
      })
    {
    }
    ~Worker() { _thread.join(); }
    bool Done() const { return _bDone; }

private:
    std::atomic<bool> _bDone{false};
    std::thread _thread;
};

TEST(SyncThreads, MutexIsReentrantAndExcludesOtherThreads)
{
    Mutex mutex;
    mutex.Acquire();
    mutex.Acquire();
    Worker other([&] {
        mutex.Acquire();
        mutex.Release();
    });
    GiveOtherThreadsTime();
    mutex.Release();
    GiveOtherThreadsTime();
    EXPECT_FALSE(other.Done()) << "one Release of two let another thread in";
    mutex.Release();
}

TEST(Sync, EventResetModes)
{
    Event automatic(false, false);
    EXPECT_FALSE(automatic.Wait(0));
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)) << "an auto-reset event stayed signalled";

    Event manual(true, true);
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(10));
}

TEST(Sync, PulseWithoutWaitersIsLost)
{
    Event manual(true, false);
    manual.Pulse();
    EXPECT_FALSE(manual.Wait(0));
    Event automatic(false, true);
    automatic.Pulse();
    EXPECT_FALSE(automatic.Wait(0));
    // Nor does a later wait with time to spare find it.
    Event idle(false, false);
    idle.Pulse();
    EXPECT_FALSE(idle.Wait(50));
    manual.Pulse();
    EXPECT_FALSE(manual.Wait(50));
}

int CountReleasedByPulse(bool manualReset, int waiters)
{
    Event event(manualReset, false);
    std::atomic<int> released{0};
    {
        std::vector<std::unique_ptr<Worker>> threads;
        for (int i = 0; i < waiters; ++i)
            threads.push_back(std::make_unique<Worker>([&] {
                if (event.Wait(1500))
                    ++released;
            }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        event.Pulse();
    }
    return released;
}

TEST(SyncThreads, PulseReleasesEveryWaiterOfAManualEventAndOneOfAnAutoEvent)
{
    EXPECT_EQ(CountReleasedByPulse(true, 3), 3);
    EXPECT_EQ(CountReleasedByPulse(false, 3), 1);
}

TEST(SyncThreads, ConditionVariableWakesASleeper)
{
    Mutex mutex;
    ConditionVariable condition;
    condition.SetLock(&mutex);
    bool ready = false;
    Worker producer([&] {
        GiveOtherThreadsTime();
        mutex.Acquire();
        ready = true;
        condition.WakeAll();
        mutex.Release();
    });
    mutex.Acquire();
    for (int i = 0; i < 100 && !ready; ++i)
        condition.Sleep(100);
    const bool sawReady = ready;
    mutex.Release();
    EXPECT_TRUE(sawReady);
}

TEST(Sync, ConditionVariableSleepReturnsAfterItsTimeout)
{
    Mutex mutex;
    ConditionVariable condition;
    condition.SetLock(&mutex);
    mutex.Acquire();
    ManualTimer timer;
    condition.Sleep(20);
    EXPECT_GE(timer.Elapsed(), 15.0);
    mutex.Release();
}

TEST(SyncThreads, MutexWaitableTimesOutWhileAnotherThreadOwnsIt)
{
    MutexWaitable mutex;
    ASSERT_TRUE(mutex.Acquire(0));
    ASSERT_TRUE(mutex.Acquire(0)) << "not re-entrant for its owner";
    std::atomic<int> result{-1};
    {
        Worker other([&] { result = mutex.Acquire(30) ? 1 : 0; });
    }
    EXPECT_EQ(result, 0);
    mutex.Release();
    mutex.Release();
    {
        Worker other([&] {
            result = mutex.Acquire(1000) ? 1 : 0;
            mutex.Release();
        });
    }
    EXPECT_EQ(result, 1);
}

TEST(Sync, ManualTimerMeasuresFromItsStart)
{
    ManualTimer timer;
    const double atStart = timer.Elapsed();
    EXPECT_GE(atStart, 0.0);
    EXPECT_LT(atStart, 50.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const ManualTimer copy = timer;
    EXPECT_GE(timer.Elapsed(), 19.0);
    EXPECT_GE(copy.Elapsed(), 19.0) << "a copy measures from the same start";
    timer.Reset();
    EXPECT_LT(timer.Elapsed(), 15.0);
}

}  // namespace
