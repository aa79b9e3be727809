#include "Settings.h"

#include <Vexir/Network/Sockets.h>

#include <CLI/CLI.hpp>

#include <cstdio>

namespace RemoteConsole {

namespace {

const char* const kDescription = "RemoteConsole: shows the messages programs send to their remote console.";

const char* const kFooter =
    "Each line starts with its client's number and address ([3 127.0.0.1]); a\n"
    "line says when a client connects and when it leaves. Each message is shown\n"
    "with its level ([S] [E] [W] [I] [V] [D]), indented four spaces per block\n"
    "level, at most 32 levels deep. A line end at the end of a message is not\n"
    "shown; tabs and line ends within it are. Any other control character, any\n"
    "byte that is not UTF-8, and the characters that reorder text or show\n"
    "nothing (bidirectional controls, zero-width characters, line and paragraph\n"
    "separators) are shown escaped: \\x1B, \\u009B, \\u202E. Lines that standard\n"
    "output cannot take are not shown there, and their count is (the --log file\n"
    "gets every line). At most 256 clients are served at once: when every slot\n"
    "is taken, a newcomer gets the slot of the client idle longest, if it has\n"
    "sent nothing for the --idle time, and is refused otherwise. A message may\n"
    "hold at most 1 MiB of text. A client that breaks these rules or sends\n"
    "records that are not the remote console's is dropped, with one line on\n"
    "standard error saying why. Ctrl+C ends the program.\n"
    "\n"
    "Exit codes: 0 success, 1 the program failed (such as a port in use),\n"
    "2 a wrong command line.";

// "ADDRESS:PORT": a strict dotted address and a port from 1 to 65535.
std::string ReadListen(const std::string& text, Settings& settings)
{
    const std::size_t colon = text.rfind(':');
    const std::string port = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const unsigned int address =
        Vexir::Network::ParseIPv4Address(colon == std::string::npos ? text : text.substr(0, colon));
    if (address == 0xFFFFFFFFu)
        return "\"" + text + "\" is not ADDRESS:PORT with a dotted address such as 127.0.0.1";
    bool digits = !port.empty() && port.size() <= 5;
    for (char c : port)
        digits = digits && c >= '0' && c <= '9';
    const long number = digits ? std::stol(port) : 0;
    if (number < 1 || number > 65535)
        return "the port of \"" + text + "\" is not a number from 1 to 65535";
    settings.address = address;
    settings.port = static_cast<unsigned short>(number);
    return std::string();
}

// A whole number of seconds from 1 to 86400, written in decimal digits only.
void ReadSeconds(const std::string& option, const std::string& text, int& seconds)
{
    bool digits = !text.empty() && text.size() <= 5;
    for (char c : text)
        digits = digits && c >= '0' && c <= '9';
    const long value = digits ? std::stol(text) : 0;
    if (value < 1 || value > 86400)
        throw CLI::ValidationError(option, "\"" + text + "\" is not a number of seconds from 1 to 86400");
    seconds = static_cast<int>(value);
}

}  // namespace

int ParseSettings(const std::vector<std::string>& arguments, Settings& settings)
{
    CLI::App program(kDescription, "RemoteConsole");
    program.allow_windows_style_options(false);  // a log named /tmp/x.log is a file
    program.footer(kFooter);
    std::string listen = "127.0.0.1:7500";
    program.add_option("--listen", listen, "where to listen (default 127.0.0.1:7500); 0.0.0.0 for all")
        ->type_name("ADDRESS:PORT");
    program.add_option("--log", settings.logPath, "also append every message to FILE")->type_name("FILE");
    std::string stall, wait;
    program.add_option("--stall", stall,
                       "drop a client whose unfinished message makes no progress for that many seconds (default 60)")
        ->type_name("SECONDS");
    std::string idle;
    program.add_option("--idle", idle,
                       "with every slot taken, give a newcomer the slot of a client idle that many seconds "
                       "(default 10)")
        ->type_name("SECONDS");
    CLI::Option* once = program.add_flag("--once", settings.once, "end when the first clients have left");
    program.add_option("--wait", wait, "with --once: end if no client came in that many seconds")
        ->type_name("SECONDS")
        ->needs(once);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - (arguments.empty() ? 0 : 1));
    try {
        program.parse(reversed);
        const std::string wrong = ReadListen(listen, settings);
        if (!wrong.empty())
            throw CLI::ValidationError("--listen", wrong);
        if (!stall.empty() || program.count("--stall"))
            ReadSeconds("--stall", stall, settings.stallSeconds);
        if (!idle.empty() || program.count("--idle"))
            ReadSeconds("--idle", idle, settings.idleSeconds);
        if (!wait.empty() || program.count("--wait"))
            ReadSeconds("--wait", wait, settings.waitSeconds);
        if (program.count("--log") && settings.logPath.empty())
            throw CLI::ValidationError("--log", "the file name is empty");
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", program.help().c_str());
        return kSucceeded;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "RemoteConsole: %s\nRun `RemoteConsole --help` for the usage.\n", error.what());
        return kUsage;
    }
    return -1;
}

}  // namespace RemoteConsole
