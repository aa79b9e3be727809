#include <Vexir/Sync.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace Vexir;
using namespace std::chrono_literals;

// Long enough for a thread that could wrongly get in to have done so.
void Settle() { std::this_thread::sleep_for(60ms); }

bool WaitFor(const std::atomic<bool>& flag)
{
    for (int i = 0; i < 500 && !flag; ++i)
        std::this_thread::sleep_for(10ms);
    return flag;
}

// A thread that takes one side of the lock once and says when it got in.
class Entrant {
public:
    Entrant(ReadWriteLock& lock, bool write)
        : _thread([this, &lock, write] {
              write ? lock.AcquireWrite() : lock.AcquireRead();
              _bIn = true;
              write ? lock.ReleaseWrite() : lock.ReleaseRead();
          })
    {
    }
    ~Entrant() { _thread.join(); }

    bool GetsIn() { return WaitFor(_bIn); }

    // Kept out until `release` runs, then let in.
    void ExpectKeptOutUntil(const std::function<void()>& release, const char* whyNot)
    {
        Settle();
        EXPECT_FALSE(_bIn) << whyNot;
        release();
        EXPECT_TRUE(GetsIn());
    }

private:
    std::atomic<bool> _bIn{false};
    std::thread _thread;
};

TEST(ReadWriteLockThreads, AReaderThatLeftWaitsToWriteUntilTheOtherReaderLeaves)
{
    ReadWriteLock lock;
    Event bIn(true, false);
    std::atomic<bool> bLeaving{false};

    lock.AcquireRead();  // reader A: this thread
    std::thread readerB([&] {
        lock.AcquireRead();
        bIn.Set();
        std::this_thread::sleep_for(150ms);
        bLeaving = true;
        lock.ReleaseRead();
    });
    ASSERT_TRUE(bIn.Wait(5000));
    lock.ReleaseRead();  // A leaves while B still reads, then asks to write
    lock.AcquireWrite();
    EXPECT_TRUE(bLeaving) << "the writer got in while B was reading";
    lock.ReleaseWrite();
    readerB.join();
}

TEST(ReadWriteLockThreads, AWriterIsAlwaysAlone)
{
    ReadWriteLock lock;
    std::atomic<int> readers{0}, writers{0}, violations{0}, writes{0}, reads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::minstd_rand random(t + 1);
            for (int i = 0; i < 3000; ++i) {
                if (random() % 4 == 0) {
                    lock.AcquireWrite();
                    if (++writers != 1 || readers != 0)
                        ++violations;
                    std::this_thread::yield();
                    if (readers != 0)
                        ++violations;
                    --writers;
                    ++writes;
                    lock.ReleaseWrite();
                } else {
                    lock.AcquireRead();
                    ++readers;
                    if (writers != 0)
                        ++violations;
                    std::this_thread::yield();
                    --readers;
                    ++reads;
                    lock.ReleaseRead();
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(violations, 0);
    EXPECT_GT(writes, 0);
    EXPECT_GT(reads, 0);
}

TEST(ReadWriteLockThreads, TheWriterMayWriteAgainAndReadUnderItsWrite)
{
    ReadWriteLock lock;
    lock.AcquireWrite();
    lock.AcquireWrite();
    lock.AcquireRead();
    lock.ReleaseRead();
    lock.ReleaseWrite();
    Entrant(lock, true).ExpectKeptOutUntil([&] { lock.ReleaseWrite(); }, "one ReleaseWrite of two let a writer in");
}

TEST(ReadWriteLockThreads, AReadHeldWhenTheWriteEndsIsAnOrdinaryRead)
{
    ReadWriteLock lock;
    lock.AcquireWrite();
    lock.AcquireRead();
    lock.ReleaseWrite();
    EXPECT_TRUE(Entrant(lock, false).GetsIn()) << "a reader was kept out after the write ended";
    Entrant(lock, true).ExpectKeptOutUntil([&] { lock.ReleaseRead(); }, "a writer got in beside the remaining read");
}

TEST(ReadWriteLockThreads, UnmatchedReleasesChangeNothing)
{
    ReadWriteLock lock;
    lock.ReleaseWrite();
    lock.ReleaseRead();
    lock.AcquireRead();
    lock.ReleaseWrite();  // not a writer: must not open the lock to writers
    Entrant(lock, true).ExpectKeptOutUntil([&] { lock.ReleaseRead(); }, "a stray ReleaseWrite let a writer in");

    // A write is ended by its writer only.
    lock.AcquireWrite();
    std::thread([&] { lock.ReleaseWrite(); }).join();
    Entrant(lock, false).ExpectKeptOutUntil([&] { lock.ReleaseWrite(); },
                                            "another thread's release let a reader in beside the writer");
}

}  // namespace
