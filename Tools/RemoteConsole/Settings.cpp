#include "Settings.h"

#include <Vexir/Network/Sockets.h>

#include <cstdlib>

namespace RemoteConsole {

const char* const kUsage =
    "usage: RemoteConsole [--listen ADDRESS:PORT] [--log FILE] [--stall SECONDS] [--once [--wait SECONDS]]\n";

const char* const kHelp =
    "Shows the messages programs send to their remote console.\n"
    "\n"
    "  --listen ADDRESS:PORT  where to listen (default 127.0.0.1:7500); ADDRESS is\n"
    "                         a dotted IPv4 address such as 0.0.0.0\n"
    "  --log FILE             also append every message to FILE\n"
    "  --stall SECONDS        drop a client whose unfinished message makes no\n"
    "                         progress for that long (default 60)\n"
    "  --once                 end when the first clients have left\n"
    "  --wait SECONDS         with --once: end if no client came in that time\n"
    "  --help                 show this and end\n"
    "\n"
    "Each message is shown with its level ([S] [E] [W] [I] [V] [D]), indented\n"
    "four spaces per block level, at most 32 levels deep. A line end at the end\n"
    "of a message is not shown; tabs and line ends within it are. Any other\n"
    "control character, and any byte that is not UTF-8, is shown escaped: \\x1B,\n"
    "\\u009B. At most 256 clients are served at once and a message may hold at\n"
    "most 1 MiB of text. A client that breaks these rules or sends records that\n"
    "are not the remote console's is dropped, with one line on standard error\n"
    "saying why. Ctrl+C ends the program.\n";

namespace {

bool ParseNumber(const char* text, long lowest, long highest, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= lowest && value <= highest;
}

bool ParseListen(const std::string& text, Settings& settings)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    const unsigned int address = Vexir::Network::ParseIPv4Address(text.substr(0, colon));
    long port = 0;
    if (address == 0xFFFFFFFFu || !ParseNumber(text.c_str() + colon + 1, 1, 65535, port))
        return false;
    settings.address = address;
    settings.port = static_cast<unsigned short>(port);
    return true;
}

}  // namespace

bool ParseSettings(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (argument == "--help" || argument == "-h") {
            settings.help = true;
        } else if (argument == "--listen" && hasValue) {
            if (!ParseListen(argv[++i], settings))
                return false;
        } else if (argument == "--log" && hasValue) {
            settings.logPath = argv[++i];
        } else if (argument == "--once") {
            settings.once = true;
        } else if (argument == "--wait" && hasValue && ParseNumber(argv[++i], 1, 86400, number)) {
            settings.waitSeconds = static_cast<int>(number);
        } else if (argument == "--stall" && hasValue && ParseNumber(argv[++i], 1, 86400, number)) {
            settings.stallSeconds = static_cast<int>(number);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace RemoteConsole
