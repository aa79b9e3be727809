#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

namespace VexirBench {

namespace {

struct Comparison {
    std::string title, ours, peer;
    double target;
};

std::vector<Comparison>& Comparisons()
{
    static std::vector<Comparison> s_comparisons;
    return s_comparisons;
}

// Prints as usual and keeps each benchmark's rate for the comparisons.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("items_per_second");
            if (rate != run.counters.end())
                rates[run.benchmark_name()] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

}  // namespace

void CompareRates(const std::string& title, const std::string& ours, const std::string& peer, double target)
{
    Comparisons().push_back({title, ours, peer, target});
}

}  // namespace VexirBench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    VexirBench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const VexirBench::Comparison& comparison : VexirBench::Comparisons()) {
        const auto ours = reporter.rates.find(comparison.ours);
        const auto peer = reporter.rates.find(comparison.peer);
        if (ours == reporter.rates.end() || peer == reporter.rates.end() || peer->second <= 0)
            continue;
        const double ratio = ours->second / peer->second;
        std::printf("%s: %.2f (target %s %.2f) %s\n", comparison.title.c_str(), ratio, ">=", comparison.target,
                    ratio >= comparison.target ? "met" : "MISSED");
    }
    benchmark::Shutdown();
    return 0;
}
