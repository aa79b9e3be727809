#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
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

// Prints as usual and keeps each benchmark's rate for the comparisons: the
// median when the benchmark was repeated, else its one run.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.str();
            const auto rate = run.counters.find("items_per_second");
            if (rate != run.counters.end()) {
                (median ? medians : singles)[name] = rate->second.value;
                Measured(name, Format("%.4g/s", rate->second.value));
            } else {
                Measured(name, Format("%.4g ", run.GetAdjustedRealTime()) + benchmark::GetTimeUnitString(run.time_unit));
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Every benchmark's figure, in the order they ran: a rate, or a time
    // per iteration for those that count no items.
    std::vector<std::pair<std::string, std::string>> measures;

    const double* Rate(const std::string& name) const
    {
        for (const auto* table : {&medians, &singles}) {
            const auto found = table->find(name);
            if (found != table->end())
                return &found->second;
        }
        return nullptr;
    }

private:
    static std::string Format(const char* format, double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, format, value);
        return text;
    }

    void Measured(const std::string& name, const std::string& figure)
    {
        for (auto& measure : measures)
            if (measure.first == name) {
                measure.second = figure;  // the median replaces the single runs
                return;
            }
        measures.emplace_back(name, figure);
    }

    std::map<std::string, double> medians, singles;
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
    // ./dev bench gathers every program's comparisons into one table.
    const char* summaryPath = std::getenv("VEXIR_BENCH_SUMMARY");
    std::FILE* summary = summaryPath ? std::fopen(summaryPath, "a") : nullptr;
    for (const VexirBench::Comparison& comparison : VexirBench::Comparisons()) {
        const double* ours = reporter.Rate(comparison.ours);
        const double* peer = reporter.Rate(comparison.peer);
        if (!ours || !peer || *peer <= 0) {
            if (summary)
                std::fprintf(summary, "%s\t-\t-\t-\t%.2f\tnot measured\n", comparison.title.c_str(),
                             comparison.target);
            continue;
        }
        const double ratio = *ours / *peer;
        const char* verdict = ratio >= comparison.target ? "met" : "MISSED";
        std::printf("%s: %.2f (target %s %.2f) %s\n", comparison.title.c_str(), ratio, ">=", comparison.target,
                    verdict);
        if (summary)
            std::fprintf(summary, "%s\t%.4g/s\t%.4g/s\t%.2f\t%.2f\t%s\n", comparison.title.c_str(), *ours, *peer,
                         ratio, comparison.target, verdict);
    }
    // The benchmarks that no comparison covers still belong in the table.
    for (const auto& measure : reporter.measures) {
        bool compared = false;
        for (const VexirBench::Comparison& comparison : VexirBench::Comparisons())
            compared = compared || comparison.ours == measure.first || comparison.peer == measure.first;
        if (summary && !compared)
            std::fprintf(summary, "%s\t%s\t-\t-\t-\tno peer\n", measure.first.c_str(), measure.second.c_str());
    }
    if (summary)
        std::fclose(summary);
    benchmark::Shutdown();
    return 0;
}
