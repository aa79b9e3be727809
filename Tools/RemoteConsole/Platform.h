// What the RemoteConsole program needs from the operating system.
#pragma once

#include <cstdio>

namespace RemoteConsole {

// SIGINT and SIGTERM (Ctrl+C and closing the console on Windows) set *stop.
void InstallStopHandlers(volatile bool* stop);
bool IsTerminal(std::FILE* stream);

}  // namespace RemoteConsole
