// Named mutexes and events shared between processes, with the processes the
// tests start: a holder or waiter that dies must hold up nobody, and names
// must keep their objects apart. Every wait on another process is bounded, so
// a hang fails the test instead of stalling the run.
#include <Vexir/Sync.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

const unsigned kBound = 10000;  // ms: far beyond what any step needs

std::wstring Wide(const std::string& text) { return utf8util::Utf8ToUtf16(text); }

TEST(NamedObjects, MutexIsSharedWithAnotherProcess)
{
    const std::string name = VexirTest::UniqueName("VexirTestMutex");
    MutexWaitable mutex(Wide(name).c_str());
    ASSERT_TRUE(mutex.Acquire(0));
    VexirTest::ChildResult child = VexirTest::RunTestChild({"try-mutex", name}, "", kBound);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 1) << "the other process got a mutex this one holds";
    mutex.Release();
    child = VexirTest::RunTestChild({"try-mutex", name}, "", kBound);
    EXPECT_EQ(child.exitCode, 0);
}

TEST(NamedObjects, MutexOfADeadOwnerIsReportedAbandonedOnce)
{
    const std::string name = VexirTest::UniqueName("VexirTestAbandoned");
    MutexWaitable mutex(Wide(name).c_str());
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"hold-mutex", name}, "", kBound);
    ASSERT_EQ(child.output, "holding\n");
    EXPECT_FALSE(mutex.Acquire(2000)) << "an abandoned mutex must not look cleanly acquired";
    // The caller owns it nevertheless; it is clean again from then on.
    mutex.Release();
    EXPECT_TRUE(mutex.Acquire(0));
    mutex.Release();
}

TEST(NamedObjects, EventIsSetByAnotherProcess)
{
    const std::string name = VexirTest::UniqueName("VexirTestEvent");
    Event event(false, false, Wide(name).c_str());
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"set-event", name}, "", kBound);
    ASSERT_EQ(child.exitCode, 0);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

// Three processes wait; one is killed in the middle of its wait. Setting the
// event, and a fresh process's Set and Wait, must still go through, and the
// surviving waiters must be released.
TEST(NamedObjects, AWaiterKilledMidWaitJamsNobody)
{
    const std::string name = VexirTest::UniqueName("VexirTestKilledWaiter");
    std::vector<std::unique_ptr<VexirTest::RunningChild>> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.push_back(std::make_unique<VexirTest::RunningChild>("VexirTestChild",
                                                                    std::vector<std::string>{"wait-event", name}));
        ASSERT_TRUE(waiters.back()->WaitForOutput("waiting", kBound));
    }
    waiters[0]->Kill();
    ASSERT_TRUE(waiters[0]->Finish(kBound).started);

    const VexirTest::ChildResult set = VexirTest::RunTestChild({"set-event", name}, "", kBound);
    ASSERT_FALSE(set.timedOut) << "Set hung after a waiter was killed";
    const VexirTest::ChildResult fresh = VexirTest::RunTestChild({"set-and-wait-event", name}, "", kBound);
    ASSERT_FALSE(fresh.timedOut) << "a new process hung on the event";
    EXPECT_EQ(fresh.exitCode, 0);
    // Enough Sets for whoever still waits.
    ASSERT_FALSE(VexirTest::RunTestChild({"set-event", name}, "", kBound).timedOut);
    for (int i = 1; i < 3; ++i) {
        const VexirTest::ChildResult waiter = waiters[i]->Finish(kBound);
        EXPECT_TRUE(waiter.exited && waiter.exitCode == 0) << "waiter " << i << " was never released";
    }
}

// Four processes open, take, give back and close one name over and over: at
// no moment may two of them hold it.
TEST(NamedObjects, MutexExcludesAcrossProcessesThatOpenAndCloseIt)
{
    VexirTest::ScratchDirectory scratch;
    const std::string mark = scratch.Path("held");
    std::FILE* file = std::fopen(mark.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fputc('0', file);
    std::fclose(file);

    const std::string name = VexirTest::UniqueName("VexirTestExclusion");
    std::vector<std::unique_ptr<VexirTest::RunningChild>> workers;
    for (int i = 0; i < 4; ++i)
        workers.push_back(std::make_unique<VexirTest::RunningChild>(
            "VexirTestChild", std::vector<std::string>{"exclusion", name, mark, "5000"}));
    for (auto& worker : workers) {
        const VexirTest::ChildResult result = worker->Finish(240000);
        EXPECT_TRUE(result.exited && result.exitCode == 0)
            << "exit " << result.exitCode << (result.timedOut ? " (timed out)" : "") << ": " << result.output;
    }
}

// Each name is its own object, whatever its characters.
TEST(NamedObjects, NamesDifferingOnlyInSeparatorsAreDifferentObjects)
{
    const std::string stem = VexirTest::UniqueName("VexirTestNames");
    Event slash(true, false, Wide(stem + "/a").c_str());
    Event underscore(true, false, Wide(stem + "_a").c_str());
    Event escaped(true, false, Wide(stem + "%2Fa").c_str());
    slash.Set();
    EXPECT_TRUE(slash.Wait(0));
    EXPECT_FALSE(underscore.Wait(0)) << "\"/\" and \"_\" name one object";
    EXPECT_FALSE(escaped.Wait(0)) << "\"/\" and \"%2F\" name one object";
    Event slashAgain(true, false, Wide(stem + "/a").c_str());
    EXPECT_TRUE(slashAgain.Wait(0)) << "the same name opened another object";
}

// A name belongs to the kind of object that took it first. Asking for the
// other kind under it gives an object that does nothing, at once, and leaves the
// first one as it was.
TEST(NamedObjects, EventCannotTakeTheNameOfAMutex)
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

TEST(NamedObjects, MutexCannotTakeTheNameOfAnEvent)
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

}  // namespace
