#include "FileSizeLimit.h"

#include <signal.h>
#include <sys/resource.h>

namespace VexirTest {

namespace {
rlimit gSaved;
struct sigaction gSavedAction;
}  // namespace

bool FileSizeLimit::Impose(std::uint64_t bytes)
{
    if (!_bImposed) {
        if (getrlimit(RLIMIT_FSIZE, &gSaved) != 0)
            return false;
        // Past the limit the kernel also raises SIGXFSZ, which would end the
        // process; ignored, the write fails with EFBIG instead.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &gSavedAction);
    }
    rlimit limit = gSaved;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    _bImposed = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    return _bImposed;
}

void FileSizeLimit::Lift()
{
    if (!_bImposed)
        return;
    setrlimit(RLIMIT_FSIZE, &gSaved);
    sigaction(SIGXFSZ, &gSavedAction, nullptr);
    _bImposed = false;
}

}  // namespace VexirTest
