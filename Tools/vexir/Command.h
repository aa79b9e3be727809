// The subcommands of the vexir tool and the rule they all keep:
//   exit 0  the operation succeeded
//   exit 1  the operation failed (a file could not be read or written, an
//           asset did not verify)
//   exit 2  the command line was wrong (an unknown option, a missing or extra
//           word, a value that is not a number or is out of range)
// Messages go to standard error as "vexir COMMAND: MESSAGE" and name the file
// and the system's reason.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace VexirTool {

enum ExitCode : int { kSucceeded = 0, kFailed = 1, kUsage = 2 };

// Thrown for a wrong command line: the message is printed after "vexir
// COMMAND: " and the tool exits with 2.
class UsageError : public std::runtime_error {
public:
    UsageError(std::string command, const std::string& message)
        : std::runtime_error(message), _sCommand(std::move(command))
    {
    }
    const std::string& Command() const { return _sCommand; }

private:
    std::string _sCommand;
};

// Prints "vexir COMMAND: MESSAGE" on standard error and returns kFailed.
int Fail(const std::string& command, const std::string& message);

// The tool with its arguments as UTF-8 (the program name first); what main
// and wmain call.
int RunTool(const std::vector<std::string>& arguments);

// Each adds its subcommand to the tool; its result goes to `status`.
void AddTour(CLI::App& tool, int& status);
void AddAsset(CLI::App& tool, int& status);
void AddSun(CLI::App& tool, int& status);
void AddColor(CLI::App& tool, int& status);
void AddSysinfo(CLI::App& tool, int& status);

// The path the tool was started by.
const std::string& ToolPath();

}  // namespace VexirTool
