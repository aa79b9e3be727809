#include "Foundation/StandardStreams.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

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

}  // namespace

bool WriteStandardOutput(const char* text, std::size_t length, bool flush)
{
    const SigpipeBlocked blocked;
    return WriteThroughCoutBuffer(text, length, flush);
}

void WriteStandardError(const char* text, std::size_t length)
{
    const SigpipeBlocked blocked;
    std::fwrite(text, 1, length, stderr);
    std::fflush(stderr);
}

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace Vexir
