// Linux layer of the file manager: stdio streams opened by the UTF-8 name,
// access/stat for the existence tests and opendir/readdir for listings.
#include "Files/FileSystem.h"

#include <Vexir/Utf8Util.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Vexir {

namespace {

const char* const kModeTexts[] = {"rb", "w+b", "r", "w+"};

// Names cross the interface as UTF-8: one that is not names nothing, as on
// Windows, where it could not be converted.
bool IsUtf8(const std::string& text)
{
    try {
        utf8util::Utf8ToUtf16(text);
        return true;
    } catch (const utf8util::utf8_conversion_error&) {
        return false;
    }
}

bool StatIs(const char* path, mode_t kind)
{
    struct stat info;
    return path && IsUtf8(path) && access(path, F_OK) == 0 && stat(path, &info) == 0 &&
           (info.st_mode & S_IFMT) == kind;
}

}  // namespace

std::FILE* OpenStream(const char* path, unsigned mode)
{
    utf8util::Utf8ToUtf16(path);  // the same check of the name as on Windows
    std::FILE* stream = std::fopen(path, kModeTexts[mode]);
    if (!stream)
        return nullptr;
    struct stat info;
    if (fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

long long TellStream(std::FILE* stream) { return static_cast<long long>(ftello(stream)); }

int ReadBytesUnchanged(std::FILE*) { return 0; }

void RestoreReading(std::FILE*, int) {}

bool SeekStream(std::FILE* stream, long long offset, int whence)
{
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

bool QueryFileSize(const char* path, unsigned long long& size)
{
    utf8util::Utf8ToUtf16(path);
    struct stat info;
    if (!path || stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = static_cast<unsigned long long>(info.st_size);
    return true;
}

bool IsRegularFile(const char* path) { return StatIs(path, S_IFREG); }

bool IsDirectoryPath(const char* path) { return StatIs(path, S_IFDIR); }

bool ListPlainFiles(const std::string& directory, std::vector<std::string>& names)
{
    utf8util::Utf8ToUtf16(directory);
    DIR* folder = opendir(directory.c_str());
    if (!folder)
        return false;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (IsRegularFile((directory + "/" + name).c_str()))
            names.push_back(name);
    }
    closedir(folder);
    return true;
}

void SetOutOfMemoryError() { errno = ENOMEM; }

}  // namespace Vexir
