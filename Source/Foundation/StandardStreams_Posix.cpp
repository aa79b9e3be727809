#include "Foundation/StandardStreams.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ext/stdio_filebuf.h>
#include <iostream>

namespace Vexir {

namespace {

// Blocks SIGPIPE on this thread while it lives, and takes back the one a
// write raised meanwhile; one that was pending before stays the host's.
class SigpipeBlocked {
public:
    SigpipeBlocked()
    {
        sigemptyset(&_sPipe);
        sigaddset(&_sPipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &_sPipe, &_sPrevious);
        _bPendingBefore = Pending();
    }
    ~SigpipeBlocked()
    {
        if (!_bPendingBefore && Pending()) {
            const timespec now{0, 0};
            sigtimedwait(&_sPipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &_sPrevious, nullptr);
    }
    SigpipeBlocked(const SigpipeBlocked&) = delete;
    SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;

private:
    static bool Pending()
    {
        sigset_t pending;
        return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    }

    sigset_t _sPipe;
    sigset_t _sPrevious;
    bool _bPendingBefore;
};

bool WriteAllNow(int fd, const char* text, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = write(fd, text, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

// After std::ios::sync_with_stdio(false), std::cout has a buffer of its own.
// Bytes that buffer could not write stay in it, and the runtime's last flush
// at exit would write them again with SIGPIPE no longer blocked: the text goes
// to the descriptor itself, after whatever the host's buffer holds.
bool WriteStandardOutput(const char* text, std::size_t length, bool flush)
{
    const SigpipeBlocked blocked;
    auto* own = dynamic_cast<__gnu_cxx::stdio_filebuf<char>*>(std::cout.rdbuf());
    if (!own || own->fd() < 0)
        return WriteThroughCoutBuffer(text, length, flush);
    const bool flushed = own->pubsync() == 0;
    return WriteAllNow(own->fd(), text, length) && flushed;
}

// In pieces the pipe takes whole (PIPE_BUF), each only once poll says it has
// room: a pipe nobody reads costs the rest of the line, not a wait.
bool WriteStandardErrorNow(const char* text, std::size_t length)
{
    const SigpipeBlocked blocked;
    while (length > 0) {
        pollfd room{STDERR_FILENO, POLLOUT, 0};
        if (poll(&room, 1, 0) != 1 || !(room.revents & POLLOUT))
            return false;
        const std::size_t piece = length < PIPE_BUF ? length : PIPE_BUF;
        ssize_t written;
        do
            written = write(STDERR_FILENO, text, piece);
        while (written < 0 && errno == EINTR);
        if (written <= 0)
            return false;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// A process outside its terminal's foreground group that reads the terminal
// is stopped (SIGTTIN): a host started with "&" would freeze at its first
// assertion.
const char* StandardInputTerminalProblem()
{
    if (isatty(STDIN_FILENO) != 1)
        return "Standard input is not a terminal";
    if (tcgetpgrp(STDIN_FILENO) != getpgrp())
        return "This process runs in the background of its terminal";
    return nullptr;
}

}  // namespace Vexir
