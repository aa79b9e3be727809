// The RemoteConsole program's command line.
#pragma once

#include <string>
#include <vector>

namespace RemoteConsole {

struct Settings {
    unsigned int address = 0x7F000001;  // 127.0.0.1
    unsigned short port = 7500;
    std::string logPath;
    bool once = false;
    int waitSeconds = 0;    // with --once: give up when no client came in that time
    int stallSeconds = 60;  // drop a client whose unfinished message is stuck this long
    int idleSeconds = 10;   // with every slot taken, a newcomer replaces a client idle this long
};

// Exit codes: 0 success, 1 the program failed (a port in use, a log that
// cannot be opened), 2 a wrong command line.
enum ExitCode : int { kSucceeded = 0, kFailed = 1, kUsage = 2 };

// Reads the arguments (the program name first, UTF-8). Returns -1 to go on, or
// the exit code when the program is done: --help printed (0), or a wrong
// command line told on standard error (2).
int ParseSettings(const std::vector<std::string>& arguments, Settings& settings);

// The program itself, after its arguments are UTF-8.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace RemoteConsole
