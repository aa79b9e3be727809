// Messages per second through the console manager, against spdlog's null sink
// with the same text, and the heap allocations each message costs.
#include <Vexir/Console.h>

#include <benchmark/benchmark.h>
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "BenchmarkMain.h"

// Counts every allocation of the process (the library's too, on Linux).
static std::atomic<long long> g_allocations{0};

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using Vexir::IConsole;
using Vexir::IMgrConsole;

class CountingConsole : public IConsole {
public:
    void Output(MessageKind, VerbosityLevel, const char* text) override
    {
        for (const char* c = text; *c; ++c)
            ++bytes;
    }
    long long bytes = 0;
};

IMgrConsole* FreshManager()
{
    IMgrConsole* manager = Vexir::GetMgrConsole();
    manager->RemoveAllConsoles(true);
    manager->SetVerbosity(IConsole::Info);
    return manager;
}

void CountAllocations(benchmark::State& state, long long before)
{
    state.counters["allocs/msg"] =
        benchmark::Counter(static_cast<double>(g_allocations - before) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(state.iterations());
}

void BM_PrintInfo_ConsoleNull(benchmark::State& state)
{
    IMgrConsole* manager = FreshManager();
    manager->GetConsole(IMgrConsole::Null);
    int frame = 0;
    const long long before = g_allocations;
    for (auto _ : state)
        manager->PrintInfo("frame %d took %f ms\n", ++frame, 16.25);
    CountAllocations(state, before);
}
BENCHMARK(BM_PrintInfo_ConsoleNull);

void BM_PrintInfo_CountingConsole(benchmark::State& state)
{
    IMgrConsole* manager = FreshManager();
    auto* console = new CountingConsole;
    manager->AddConsole(console);
    int frame = 0;
    const long long before = g_allocations;
    for (auto _ : state)
        manager->PrintInfo("frame %d took %f ms\n", ++frame, 16.25);
    CountAllocations(state, before);
    benchmark::DoNotOptimize(console->bytes);
}
BENCHMARK(BM_PrintInfo_CountingConsole);

// A print below the threshold, with the standard-output console the only one:
// nobody could show it, so it is turned away before it is formatted.
void BM_PrintDebug_BelowThreshold(benchmark::State& state)
{
    IMgrConsole* manager = FreshManager();
    manager->GetConsole(IMgrConsole::Stdout);
    int frame = 0;
    const long long before = g_allocations;
    for (auto _ : state)
        manager->PrintDebug("frame %d took %f ms\n", ++frame, 16.25);
    CountAllocations(state, before);
}
BENCHMARK(BM_PrintDebug_BelowThreshold);

void BM_PrintDebug_NoConsole(benchmark::State& state)
{
    IMgrConsole* manager = FreshManager();
    int frame = 0;
    for (auto _ : state)
        manager->PrintDebug("frame %d took %f ms\n", ++frame, 16.25);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrintDebug_NoConsole);

// spdlog's cost for a level it does not log.
void BM_Spdlog_DisabledLevel(benchmark::State& state)
{
    auto sink = std::make_shared<spdlog::sinks::null_sink_mt>();
    spdlog::logger logger("bench", sink);
    logger.set_level(spdlog::level::info);
    int frame = 0;
    for (auto _ : state) {
        logger.debug("frame {} took {:f} ms", ++frame, 16.25);
        benchmark::DoNotOptimize(frame);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Spdlog_DisabledLevel);

void BM_Spdlog_NullSink(benchmark::State& state)
{
    auto sink = std::make_shared<spdlog::sinks::null_sink_mt>();
    spdlog::logger logger("bench", sink);
    logger.set_level(spdlog::level::info);
    int frame = 0;
    const long long before = g_allocations;
    for (auto _ : state)
        logger.info("frame {} took {:f} ms", ++frame, 16.25);
    CountAllocations(state, before);
}
BENCHMARK(BM_Spdlog_NullSink);

const bool s_registered = [] {
    VexirBench::CompareRates("PrintInfo to Console_Null / spdlog null sink", "BM_PrintInfo_ConsoleNull",
                             "BM_Spdlog_NullSink", 1.0);
    VexirBench::CompareRates("PrintInfo to a counting console / spdlog null sink", "BM_PrintInfo_CountingConsole",
                             "BM_Spdlog_NullSink", 1.0);
    // A disabled message may cost at most twice what spdlog's costs.
    VexirBench::CompareRates("PrintDebug below the threshold / spdlog disabled level", "BM_PrintDebug_BelowThreshold",
                             "BM_Spdlog_DisabledLevel", 0.5);
    VexirBench::CompareRates("PrintDebug with no console / spdlog disabled level", "BM_PrintDebug_NoConsole",
                             "BM_Spdlog_DisabledLevel", 0.5);
    return true;
}();

}  // namespace
