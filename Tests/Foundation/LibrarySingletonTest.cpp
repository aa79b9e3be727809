#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Foundation/LibraryLifetime.h"

namespace {

std::atomic<int> s_iBuilt{0};
std::atomic<int> s_iAlive{0};

// Slow to build, so that threads asking together overlap in the constructor.
struct SlowToBuild {
    SlowToBuild()
    {
        ++s_iBuilt;
        ++s_iAlive;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~SlowToBuild() { --s_iAlive; }
};

TEST(LibrarySingletonThreads, BuildsOnceWhenThreadsAskTogether)
{
    static Vexir::LibrarySingleton<SlowToBuild> s_singleton;
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    std::vector<SlowToBuild*> seen(8, nullptr);
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            seen[i] = s_singleton.Get();
        });
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(s_iBuilt, 1);
    for (SlowToBuild* object : seen)
        EXPECT_EQ(object, seen[0]);

    s_singleton.Destroy();
    EXPECT_EQ(s_iAlive, 0);
    EXPECT_EQ(s_singleton.Get(), nullptr) << "built again after its teardown";
    EXPECT_EQ(s_iBuilt, 1);
}

}  // namespace
