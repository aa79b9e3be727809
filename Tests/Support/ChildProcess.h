// Runs the test helper program (VexirTestChild, beside the test executable) as
// a separate process, with a given standard input, and reports how it ended.
#pragma once

#include <string>
#include <vector>

namespace VexirTest {

struct ChildResult {
    bool started = false;
    bool exited = false;     // ended through exit (else: killed or crashed)
    int exitCode = -1;       // when exited
    bool trapped = false;    // ended by an unhandled breakpoint trap
    std::string output;      // its standard output, line ends as "\n"
};

// Runs a program that sits beside the test executable (no extension needed).
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& input = std::string());

inline ChildResult RunTestChild(const std::vector<std::string>& arguments, const std::string& input = std::string())
{
    return RunProgram("VexirTestChild", arguments, input);
}

// A name no other test run uses at the same time, for named objects.
std::string UniqueName(const std::string& stem);

}  // namespace VexirTest
