// Windows layer of the file manager: wide C runtime streams, the wide access
// and stat calls, and FindFirstFileW listings.
#include "Files/FileSystem.h"

#include <Vexir/Utf8Util.h>

#include <windows.h>

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace Vexir {

namespace {

const wchar_t* const kModeTexts[] = {L"rb", L"w+b", L"rt", L"w+t"};

// The existence tests take the name as UTF-8 like every other call; a name
// that is not UTF-8 names nothing.
bool StatIs(const char* path, unsigned short kind)
{
    if (!path)
        return false;
    try {
        std::wstring wide = utf8util::Utf8ToUtf16(path);
        // The C runtime does not find "dir/" or "dir\\"; Linux does, and so do
        // we. As on Linux, a name ending in a separator is never a file. A root
        // ("/", "C:/") keeps its separator.
        // A share's root ("\\\\server\\share\\") keeps it too: the C runtime
        // finds that only with it.
        const auto separator = [](wchar_t c) { return c == L'/' || c == L'\\'; };
        if (!wide.empty() && separator(wide.back()) && kind != _S_IFDIR)
            return false;
        const bool share = wide.size() > 2 && separator(wide[0]) && separator(wide[1]) &&
                           std::count_if(wide.begin() + 2, wide.end() - 1, separator) <= 1;
        while (!share && wide.size() > 1 && separator(wide.back()) && wide[wide.size() - 2] != L':')
            wide.pop_back();
        struct _stat64 info;
        return _waccess(wide.c_str(), 0) == 0 && _wstat64(wide.c_str(), &info) == 0 && (info.st_mode & kind) != 0;
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
}

}  // namespace

std::FILE* OpenStream(const char* path, unsigned mode)
{
    const std::wstring wide = utf8util::Utf8ToUtf16(path);
    std::FILE* stream = nullptr;
    if (_wfopen_s(&stream, wide.c_str(), kModeTexts[mode]) != 0)
        return nullptr;
    return stream;
}

long long TellStream(std::FILE* stream) { return _ftelli64(stream); }

int ReadBytesUnchanged(std::FILE* stream) { return stream ? _setmode(_fileno(stream), _O_BINARY) : -1; }

void RestoreReading(std::FILE* stream, int previous)
{
    if (stream && previous != -1 && previous != _O_BINARY)
        _setmode(_fileno(stream), previous);
}

bool SeekStream(std::FILE* stream, long long offset, int whence) { return _fseeki64(stream, offset, whence) == 0; }

bool QueryFileSize(const char* path, unsigned long long& size)
{
    const std::wstring wide = utf8util::Utf8ToUtf16(path);
    struct _stat64 info;
    if (!path || _wstat64(wide.c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)
        return false;
    size = static_cast<unsigned long long>(info.st_size);
    return true;
}

bool IsRegularFile(const char* path) { return StatIs(path, _S_IFREG); }

bool IsDirectoryPath(const char* path) { return StatIs(path, _S_IFDIR); }

bool ListPlainFiles(const std::string& directory, std::vector<std::string>& names)
{
    // No limit of our own on the length: the system's is the one Open meets.
    const std::wstring pattern = utf8util::Utf8ToUtf16(directory) + L"\\*";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        // A name with a lone surrogate has no UTF-8 form, and no call of the
        // manager could name it.
        try {
            names.push_back(utf8util::Utf16ToUtf8(entry.cFileName));
        } catch (const utf8util::utf8_conversion_error&) {
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}

// 4 is the code the manager has always left for a failed allocation.
void SetOutOfMemoryError() { SetLastError(4); }

}  // namespace Vexir
