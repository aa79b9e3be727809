// A call that might wait for ever, made so that a hang fails the test instead
// of stalling the run.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace VexirTest {

// Runs `body` on a thread and waits for it at most `milliseconds`. When it
// has not returned by then, `release` frees whatever it waits on (closes the
// peer, say), the thread is joined, and the answer is false.
template <typename Body, typename Release>
bool ReturnsWithin(int milliseconds, Body body, Release release)
{
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        body();
        finished = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!finished && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const bool inTime = finished;
    if (!inTime)
        release();
    worker.join();
    return inTime;
}

}  // namespace VexirTest
