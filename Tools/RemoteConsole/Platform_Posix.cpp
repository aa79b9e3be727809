#include "Platform.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace RemoteConsole {

namespace {
volatile bool* s_pStop = nullptr;
void Stop(int) { *s_pStop = true; }
}  // namespace

void InstallStopHandlers(volatile bool* stop)
{
    s_pStop = stop;
    struct sigaction action {};
    action.sa_handler = Stop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

// The launcher sees the listening socket in /proc.
void TellLauncherListening() {}

bool WriteAll(std::FILE* stream, const char* data, std::size_t size)
{
    const int fd = fileno(stream);
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::FILE* OpenForAppending(const std::string& path) { return std::fopen(path.c_str(), "ab"); }

}  // namespace RemoteConsole
