// What the RemoteConsole program needs from the operating system.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace RemoteConsole {

// SIGINT and SIGTERM (Ctrl+C and closing the console on Windows) set *stop.
void InstallStopHandlers(volatile bool* stop);
bool IsTerminal(std::FILE* stream);
// Tells the library that launched the program, if one did, that it listens.
void TellLauncherListening();
// Writes all the bytes to the stream's descriptor itself, past the C
// library's buffer (which a thread stuck writing would hold locked); false
// when a write fails.
bool WriteAll(std::FILE* stream, const char* data, std::size_t size);
// Opens a file named in UTF-8 for appending bytes; null (errno set) on failure.
std::FILE* OpenForAppending(const std::string& path);

}  // namespace RemoteConsole
