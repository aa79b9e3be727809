// The file object of the file manager: one C stream and its name, linked into
// the manager's list of open files and shared by reference count.
#pragma once

#include <Vexir/Files.h>

#include <string>

namespace Vexir {

class FileObj : public IFileObj {
public:
    FileObj() = default;
    FileObj(const FileObj&) = delete;
    FileObj& operator=(const FileObj&) = delete;

    const char* GetFilename() override { return _sName.c_str(); }
    std::size_t GetFilenameLength() override { return _uNameLength; }
    void SetFileHandle(std::FILE* file) override { _pFile = file; }
    std::FILE* GetFileHandle() override { return _pFile; }
    unsigned GetOpenState() override { return _uState; }
    long long GetSize() override;
    int FormattedIo(const char* format, ...) override;
    bool ReadLine(char* buffer, int size) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    int ReadString(char* out) override;
    int ReadUInt(unsigned int* out) override;
    int ReadULong(unsigned long* out) override;
    int ReadFloat(float* out) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    int Flush() override;
    long long Tell() override;
    bool Seek(long long offset, unsigned origin) override;
    int ReadString(char* out, std::size_t capacity) override;

private:
    friend class MgrFiles;

    FileObj* _pNext = nullptr;
    FileObj* _pPrev = nullptr;
    std::size_t _uNameLength = 0;
    std::string _sName;
    std::FILE* _pFile = nullptr;
    unsigned _uState = 0;
    unsigned _uRefCount = 0;  // references beyond the first
};

}  // namespace Vexir
