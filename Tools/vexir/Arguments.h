// Values on the tool's command line: decimal numbers only (no hexadecimal, no
// blanks, no "inf"), with a message that says which rule a text broke.
#pragma once

#include <string>

namespace VexirTool {

struct Range {
    double low, high;
    bool highIncluded = true;
};

// The number `text` for the value `what` of `command`; a UsageError saying
// "... is not a number" or "... is out of range (LOW to HIGH)" otherwise.
double Number(const std::string& command, const std::string& what, const std::string& text, Range range);

// `value` with `decimals` decimals; a value that rounds to zero is "0.000...",
// never "-0.000...".
std::string Fixed(double value, int decimals);
// As "%.6g", with the same care for zero.
std::string General(double value);

}  // namespace VexirTool
