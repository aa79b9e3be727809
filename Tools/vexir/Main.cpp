// vexir: the SDK's command-line tool, built on the library.
#include <Vexir/Result.h>

#include <cstdio>
#include <string>

#include "Command.h"

namespace {

void PrintUsage()
{
    std::printf("usage: vexir COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const VexirTool::Command& command : VexirTool::Commands())
        std::printf("  %-10s %s\n", command.name, command.summary);
    std::printf("\n`vexir help COMMAND` explains a command; `vexir --version` prints the version.\n");
}

int Help(const VexirTool::Arguments& arguments)
{
    if (arguments.empty()) {
        PrintUsage();
        return 0;
    }
    const VexirTool::Command* command = VexirTool::FindCommand(arguments[0]);
    if (!command) {
        std::fprintf(stderr, "vexir: no command \"%s\"; `vexir --help` lists them\n", arguments[0].c_str());
        return 2;
    }
    std::printf("%s", command->help);
    return 0;
}

std::string s_sToolPath;

}  // namespace

const std::string& VexirTool::ToolPath() { return s_sToolPath; }

int main(int argc, char** argv)
{
    s_sToolPath = argc > 0 ? argv[0] : "vexir";
    const VexirTool::Arguments all(argv + 1, argv + argc);
    if (all.empty()) {
        PrintUsage();
        return 2;
    }
    const std::string& name = all[0];
    const VexirTool::Arguments rest(all.begin() + 1, all.end());
    if (name == "--help" || name == "-h" || name == "help")
        return Help(rest);
    if (name == "--version") {
        std::printf("%s\n%s\n", GetVexirVersionString(), GetVexirCopyrightString());
        return 0;
    }
    const VexirTool::Command* command = VexirTool::FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "vexir: no command \"%s\"; `vexir --help` lists them\n", name.c_str());
        return 2;
    }
    return command->run(rest);
}
