#include "StandardErrorCapture.h"

#include <windows.h>

#include <io.h>

namespace VexirTest {

namespace {

std::FILE* OpenTemporaryFile()
{
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"err", 0, path))
        return nullptr;
    // Removed when closed.
    return _wfopen(path, L"w+bD");
}

}  // namespace

StandardErrorCapture::StandardErrorCapture() : _pFile(OpenTemporaryFile())
{
    std::fflush(stderr);
    if (!_pFile)
        return;
    _iSaved = _dup(_fileno(stderr));
    _dup2(_fileno(_pFile), _fileno(stderr));
}

StandardErrorCapture::~StandardErrorCapture()
{
    std::fflush(stderr);
    if (_iSaved >= 0) {
        _dup2(_iSaved, _fileno(stderr));
        _close(_iSaved);
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
    std::fflush(_pFile);
    std::fseek(_pFile, 0, SEEK_SET);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, _pFile)) > 0;)
        text.append(buffer, got);
    std::fseek(_pFile, 0, SEEK_END);
    return text;
}

}  // namespace VexirTest
