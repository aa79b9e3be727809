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

// A command's help, its usage line naming the whole command ("vexir asset pack").
std::string HelpOf(const CLI::App& command)
{
    std::string parents;
    for (const CLI::App* parent = command.get_parent(); parent; parent = parent->get_parent())
        parents = parent->get_name() + (parents.empty() ? "" : " " + parents);
    return command.help(parents);
}

// `vexir help [COMMAND...]`: the same text as `--help`.
void AddHelp(CLI::App& tool, int& status)
{
    static std::vector<std::string> s_topic;
    CLI::App* help = tool.add_subcommand("help", "explain a command");
    help->add_option("COMMAND", s_topic, "the command to explain, such as: asset pack");
    help->callback([&tool, &status] {
        CLI::App* topic = &tool;
        std::string named;
        for (const std::string& word : s_topic) {
            named += (named.empty() ? "" : " ") + word;
            const auto found = topic->get_subcommands([&](CLI::App* command) { return command->get_name() == word; });
            if (found.empty())
                throw UsageError("help", "there is no command \"" + named + "\"; `vexir --help` lists them");
            topic = found.front();
        }
        std::printf("%s", HelpOf(*topic).c_str());
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
    // A name such as /data/in.txt is a file, not a Windows-style option.
    tool.allow_windows_style_options(false);
    tool.require_subcommand(0, 1);
    bool version = false;
    tool.add_flag("--version", version, "print the version and end");
    // Checked before any command runs, so that a command never runs beside it.
    tool.parse_complete_callback([&tool, &version] {
        if (version && !tool.get_subcommands().empty())
            throw CLI::ValidationError("--version", "it takes no command");
    });
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
        const CLI::App* topic = &tool;
        while (!topic->get_subcommands().empty())
            topic = topic->get_subcommands().front();
        std::printf("%s", HelpOf(*topic).c_str());
        return kSucceeded;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "vexir%s: %s\nRun `vexir%s --help` for the usage.\n", CommandName(tool).c_str(),
                     error.what(), CommandName(tool).c_str());
        return kUsage;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vexir %s: %s\n", error.Command().c_str(), error.what());
        return kUsage;
    }
    if (version && tool.get_subcommands().empty()) {
        std::printf("%s\n%s\n", GetVexirVersionString(), GetVexirCopyrightString());
        return kSucceeded;
    }
    if (version || tool.get_subcommands().empty()) {
        std::fprintf(stderr, "%s", HelpOf(tool).c_str());
        return kUsage;
    }
    return status;
}

}  // namespace

int Fail(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "vexir%s%s: %s\n", command.empty() ? "" : " ", command.c_str(), message.c_str());
    return kFailed;
}

const std::string& ToolPath() { return s_sToolPath; }

int RunTool(const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        s_sToolPath = arguments.front();
    // No exception ends the tool: whatever escapes a command is told, exit 1.
    int status;
    try {
        status = Parse(arguments.empty() ? std::vector<std::string>{"vexir"} : arguments);
    } catch (const std::exception& error) {
        status = Fail("", error.what());
    } catch (...) {
        status = Fail("", "an unexpected error");
    }
    // What was printed must have arrived: a full disk or a closed pipe fails.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vexir: the output could not be written\n");
        return status == kSucceeded ? kFailed : status;
    }
    return status;
}

}  // namespace VexirTool
