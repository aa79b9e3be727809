#include <Vexir/Sync.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"

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

std::wstring Wide(const std::string& text) { return utf8util::Utf8ToUtf16(text); }

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

TEST(Sync, NamedMutexIsSharedWithAnotherProcess)
{
    const std::string name = VexirTest::UniqueName("VexirTestMutex");
    MutexWaitable mutex(Wide(name).c_str());
    ASSERT_TRUE(mutex.Acquire(0));
    VexirTest::ChildResult child = VexirTest::RunTestChild({"try-mutex", name});
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 1) << "the other process got a mutex this one holds";
    mutex.Release();
    child = VexirTest::RunTestChild({"try-mutex", name});
    EXPECT_EQ(child.exitCode, 0);
}

TEST(Sync, MutexOfADeadOwnerIsReportedAbandonedOnce)
{
    const std::string name = VexirTest::UniqueName("VexirTestAbandoned");
    MutexWaitable mutex(Wide(name).c_str());
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"hold-mutex", name});
    ASSERT_EQ(child.output, "holding\n");
    EXPECT_FALSE(mutex.Acquire(2000)) << "an abandoned mutex must not look cleanly acquired";
    // The caller owns it nevertheless; it is clean again from then on.
    mutex.Release();
    EXPECT_TRUE(mutex.Acquire(0));
    mutex.Release();
}

TEST(Sync, NamedEventIsSetByAnotherProcess)
{
    const std::string name = VexirTest::UniqueName("VexirTestEvent");
    Event event(false, false, Wide(name).c_str());
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"set-event", name});
    ASSERT_EQ(child.exitCode, 0);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

// A name belongs to the kind of object that took it first. Asking for the
// other kind under it gives an object that does nothing, at once, and leaves the
// first one as it was.
TEST(Sync, EventCannotTakeTheNameOfAMutex)
{
    const std::string name = VexirTest::UniqueName("VexirTestMutexThenEvent");
    MutexWaitable mutex(Wide(name).c_str());
    const ManualTimer timer;
    Event event(true, false, Wide(name).c_str());
    EXPECT_LT(timer.Elapsed(), 1500.0) << "creating the event stalled";
    event.Set();
    EXPECT_FALSE(event.Wait(0)) << "the event works on the mutex's block";
    event.Pulse();
    event.Reset();
    EXPECT_FALSE(event.Wait(10));

    EXPECT_TRUE(mutex.Acquire(0)) << "the event's Set and Reset reached the mutex";
    mutex.Release();
}

TEST(Sync, MutexCannotTakeTheNameOfAnEvent)
{
    const std::string name = VexirTest::UniqueName("VexirTestEventThenMutex");
    Event event(true, false, Wide(name).c_str());
    const ManualTimer timer;
    MutexWaitable mutex(Wide(name).c_str());
    EXPECT_LT(timer.Elapsed(), 1500.0) << "creating the mutex stalled";
    EXPECT_FALSE(mutex.Acquire(0)) << "the mutex works on the event's block";
    EXPECT_FALSE(mutex.Acquire(10));
    mutex.Release();

    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0)) << "a manual-reset event stays set";
    // The name still opens the event itself.
    Event again(false, false, Wide(name).c_str());
    EXPECT_TRUE(again.Wait(0)) << "a second event of the name is not the first";
    again.Reset();
    EXPECT_FALSE(event.Wait(0));
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
