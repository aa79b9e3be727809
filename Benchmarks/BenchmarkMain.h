// Benchmarks compare against a peer in the same run. After the run, each
// registered comparison prints the ratio of two benchmarks' rates.
#pragma once

#include <string>

namespace VexirBench {

// Registers "ours / peer" on items per second, with the target the ratio should reach.
void CompareRates(const std::string& title, const std::string& ours, const std::string& peer, double target);

}  // namespace VexirBench
