// The RemoteConsole program's command line.
#pragma once

#include <string>

namespace RemoteConsole {

struct Settings {
    unsigned int address = 0x7F000001;  // 127.0.0.1
    unsigned short port = 7500;
    std::string logPath;
    bool once = false;
    int waitSeconds = 0;    // with --once: give up when no client came in that time
    int stallSeconds = 60;  // drop a client whose unfinished message is stuck this long
    bool help = false;
};

extern const char* const kUsage;
extern const char* const kHelp;

// False for a command line that does not parse.
bool ParseSettings(int argc, char** argv, Settings& settings);

}  // namespace RemoteConsole
