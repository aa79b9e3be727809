#include "StandardErrorCapture.h"

#include <unistd.h>

namespace VexirTest {

StandardErrorCapture::StandardErrorCapture() : _pFile(std::tmpfile())
{
    std::fflush(stderr);
    if (!_pFile)
        return;
    _iSaved = dup(STDERR_FILENO);
    dup2(fileno(_pFile), STDERR_FILENO);
}

StandardErrorCapture::~StandardErrorCapture()
{
    std::fflush(stderr);
    if (_iSaved >= 0) {
        dup2(_iSaved, STDERR_FILENO);
        close(_iSaved);
    }
    if (_pFile)
        std::fclose(_pFile);
}

std::string StandardErrorCapture::Text()
{
    std::fflush(stderr);
    std::string text;
    if (!_pFile)
        return text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t got = pread(fileno(_pFile), buffer, sizeof buffer, at);
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
    return text;
}

}  // namespace VexirTest
