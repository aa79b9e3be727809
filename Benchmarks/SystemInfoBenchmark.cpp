// The cost of a memory-usage log entry and of a memory query, in microseconds.
#include <Vexir/SystemInfo.h>

#include <benchmark/benchmark.h>

namespace {

void BM_MemoryUsageLog(benchmark::State& state)
{
    Vexir::MemoryUsageLogEnable();
    int index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Vexir::MemoryUsageLog("frame", ++index));
        if (index % 100000 == 0)
            Vexir::MemoryUsageLogEnable();  // keeps the records from growing without end
    }
}
BENCHMARK(BM_MemoryUsageLog)->Unit(benchmark::kMicrosecond);

void BM_GetMemoryInfo(benchmark::State& state)
{
    Vexir::MemoryInfo info;
    for (auto _ : state)
        benchmark::DoNotOptimize(Vexir::GetMemoryInfo(info));
}
BENCHMARK(BM_GetMemoryInfo)->Unit(benchmark::kMicrosecond);

}  // namespace
