// Runs the test helper program (VexirTestChild, beside the test executable) as
// a separate process, with a given standard input, and reports how it ended.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace VexirTest {

struct ChildResult {
    bool started = false;
    bool exited = false;     // ended through exit (else: killed, crashed or timed out)
    int exitCode = -1;       // when exited
    bool trapped = false;    // ended by an unhandled breakpoint trap
    bool timedOut = false;   // still running at the deadline, and killed then
    std::string output;      // its standard output, line ends as "\n"
};

// A program beside the test executable, running while the test acts on it.
// Destroying it kills the program if it still runs.
class RunningChild {
public:
    // Standard input holds `input`: a file, or with `inputStaysOpen` a pipe
    // that this side keeps open (as a host's parent that still has data to
    // send would) until the program ends.
    RunningChild(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& input = std::string(), bool inputStaysOpen = false);
    ~RunningChild();
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;

    bool Started() const;
    // The process id, for signals a test sends itself.
    long Id() const;
    // Waits until its output holds `text`; false if it does not within `ms`.
    bool WaitForOutput(const std::string& text, unsigned ms);
    void Kill();
    // Waits at most `ms` for the end; a program still running then is killed
    // and reported as timed out.
    ChildResult Finish(unsigned ms);

    struct State;

private:
    std::unique_ptr<State> _pState;
};

// Runs a program that sits beside the test executable (no extension needed),
// for at most `ms` milliseconds.
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& input = std::string(), unsigned ms = 300000);

inline ChildResult RunTestChild(const std::vector<std::string>& arguments, const std::string& input = std::string(),
                                unsigned ms = 300000)
{
    return RunProgram("VexirTestChild", arguments, input, ms);
}

// A name no other test run uses at the same time, for named objects.
std::string UniqueName(const std::string& stem);

}  // namespace VexirTest
