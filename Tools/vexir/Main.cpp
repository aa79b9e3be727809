// vexir: the SDK's command-line tool, built on the library.
#include <Vexir/Result.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "Command.h"

namespace VexirTool {

namespace {

std::string s_sToolPath = "vexir";

const char* const kExitCodes =
    "\nExit codes: 0 success, 1 the operation failed, 2 a wrong command line.\n"
    "`vexir help COMMAND` or `vexir COMMAND --help` explains a command.\n";

// `vexir help [COMMAND]`: the same text as `--help`.
void AddHelp(CLI::App& tool, int& status)
{
    static std::string s_sTopic;
    CLI::App* help = tool.add_subcommand("help", "explain a command");
    help->add_option("COMMAND", s_sTopic, "the command to explain");
    help->callback([&tool, &status] {
        if (s_sTopic.empty()) {
            std::printf("%s", tool.help().c_str());
            return;
        }
        const auto commands = tool.get_subcommands([](CLI::App* command) { return command->get_name() == s_sTopic; });
        if (commands.empty())
            throw UsageError("help", "there is no command \"" + s_sTopic + "\"; `vexir --help` lists them");
        std::printf("%s", commands.front()->help().c_str());
        status = kSucceeded;
    });
}

// Every command's help ends with the exit codes.
void ExplainExitCodes(CLI::App& command)
{
    const std::string own = command.get_footer();
    command.footer(own.empty() ? kExitCodes : own + "\n" + kExitCodes);
    for (CLI::App* subcommand : command.get_subcommands([](CLI::App*) { return true; }))
        ExplainExitCodes(*subcommand);
}

// Which subcommand a usage message belongs to: the deepest one parsed.
std::string CommandName(const CLI::App& tool)
{
    std::string name;
    for (const CLI::App* command = &tool; command;) {
        const auto parsed = command->get_subcommands();
        command = parsed.empty() ? nullptr : parsed.front();
        if (command)
            name += (name.empty() ? "" : " ") + command->get_name();
    }
    return name.empty() ? "" : " " + name;
}

int Parse(const std::vector<std::string>& arguments)
{
    CLI::App tool("vexir: the SDK's command-line tool.", "vexir");
    tool.require_subcommand(0, 1);
    tool.add_flag_callback(
        "--version",
        [] {
            std::printf("%s\n%s\n", GetVexirVersionString(), GetVexirCopyrightString());
            throw CLI::Success();
        },
        "print the version and end");
    int status = kSucceeded;
    AddTour(tool, status);
    AddAsset(tool, status);
    AddSun(tool, status);
    AddColor(tool, status);
    AddSysinfo(tool, status);
    AddHelp(tool, status);
    ExplainExitCodes(tool);

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);  // CLI11 reads from the back
    try {
        tool.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        const auto parsed = tool.get_subcommands();
        const CLI::App* topic = &tool;
        while (topic && !topic->get_subcommands().empty())
            topic = topic->get_subcommands().front();
        std::printf("%s", (parsed.empty() ? tool.help() : topic->help()).c_str());
        return kSucceeded;
    } catch (const CLI::Success&) {
        return kSucceeded;  // --version
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "vexir%s: %s\nRun `vexir%s --help` for the usage.\n", CommandName(tool).c_str(),
                     error.what(), CommandName(tool).c_str());
        return kUsage;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vexir %s: %s\n", error.Command().c_str(), error.what());
        return kUsage;
    }
    if (tool.get_subcommands().empty()) {
        std::fprintf(stderr, "%s", tool.help().c_str());
        return kUsage;
    }
    return status;
}

}  // namespace

int Fail(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "vexir %s: %s\n", command.c_str(), message.c_str());
    return kFailed;
}

const std::string& ToolPath() { return s_sToolPath; }

int RunTool(const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        s_sToolPath = arguments.front();
    // No exception ends the tool: whatever escapes a command is told, exit 1.
    try {
        return Parse(arguments.empty() ? std::vector<std::string>{"vexir"} : arguments);
    } catch (const std::exception& error) {
        return Fail("", error.what());
    } catch (...) {
        return Fail("", "an unexpected error");
    }
}

}  // namespace VexirTool
