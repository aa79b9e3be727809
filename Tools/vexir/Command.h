// The subcommands of the vexir tool. Each subsystem adds its own to the table
// in Commands.cpp.
#pragma once

#include <string>
#include <vector>

namespace VexirTool {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* summary;  // one line, for `vexir --help`
    const char* help;     // the full text, for `vexir help NAME`
    int (*run)(const Arguments& arguments);
};

const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);
// The path the tool was started by.
const std::string& ToolPath();

int RunTour(const Arguments& arguments);
int RunAsset(const Arguments& arguments);
int RunSun(const Arguments& arguments);
int RunColor(const Arguments& arguments);
int RunSysinfo(const Arguments& arguments);

}  // namespace VexirTool
