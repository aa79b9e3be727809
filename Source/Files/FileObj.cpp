#include "Files/FileObj.h"

#include <string>

#include "Files/FileSystem.h"

namespace Vexir {

long long FileObj::GetSize()
{
    if (!_pFile)
        return 0;
    const long long position = TellStream(_pFile);
    if (position < 0 || !SeekStream(_pFile, 0, SEEK_END))
        return 0;
    const long long size = TellStream(_pFile);
    SeekStream(_pFile, position, SEEK_SET);
    return size < 0 ? 0 : size;
}

int FileObj::FormattedIo(const char*, ...) { return 0; }

bool FileObj::ReadLine(char* buffer, int size)
{
    return _pFile && buffer && size > 0 && std::fgets(buffer, size, _pFile) != nullptr;
}

std::size_t FileObj::Read(void* buffer, std::size_t count)
{
    return _pFile && buffer ? std::fread(buffer, 1, count, _pFile) : 0;
}

int FileObj::ReadString(char* out) { return _pFile && out ? std::fscanf(_pFile, "%s", out) : 0; }

int FileObj::ReadString(char* out, std::size_t capacity)
{
    if (!_pFile || !out || capacity == 0)
        return 0;
    const std::string format = "%" + std::to_string(capacity - 1) + "s";
    if (capacity == 1) {
        *out = '\0';
        return 0;
    }
    return std::fscanf(_pFile, format.c_str(), out);
}

int FileObj::ReadUInt(unsigned int* out) { return _pFile && out ? std::fscanf(_pFile, "%u", out) : 0; }

int FileObj::ReadULong(unsigned long* out) { return _pFile && out ? std::fscanf(_pFile, "%lu", out) : 0; }

int FileObj::ReadFloat(float* out) { return _pFile && out ? std::fscanf(_pFile, "%g", out) : 0; }

std::size_t FileObj::Write(const void* buffer, std::size_t count)
{
    return _pFile && buffer ? std::fwrite(buffer, 1, count, _pFile) : 0;
}

int FileObj::Flush() { return _pFile ? std::fflush(_pFile) : 0; }

long long FileObj::Tell() { return _pFile ? TellStream(_pFile) : 0; }

bool FileObj::Seek(long long offset, unsigned origin)
{
    static const int kWhence[] = {SEEK_CUR, SEEK_SET, SEEK_END};
    if (!_pFile || origin > 2)
        return false;
    return SeekStream(_pFile, offset, kWhence[origin]);
}

}  // namespace Vexir
