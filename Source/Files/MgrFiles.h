// The file manager behind GetMgrFiles: a list of open file objects, newest
// first, and the code of the last failed Open.
#pragma once

#include <Vexir/Files.h>

namespace Vexir {

class FileObj;

class MgrFiles : public IMgrFiles {
public:
    MgrFiles() = default;
    ~MgrFiles() override;
    MgrFiles(const MgrFiles&) = delete;
    MgrFiles& operator=(const MgrFiles&) = delete;

    void Release() override;
    bool DirectoryExists(const char* path) override;
    bool DirectoryExists(const std::string& path) override;
    bool FileExists(const char* path) override;
    bool FileExists(const std::string& path) override;
    bool ListFiles(const std::string& directory, std::vector<std::string>& names) override;
    IFileObj* Open(const std::string& path, unsigned mode) override;
    IFileObj* Open(const char* path, unsigned mode) override;
    bool Close(IFileObj* file) override;
    bool CloseAll() override;
    unsigned char* LoadFile(const char* path, std::size_t* size, bool terminate) override;
    void FreeFileData(unsigned char* data) override;
    unsigned GetLastErrorCode() override { return _uLastError; }
    bool OpenFileDialog(NativeWindowHandle owner, char* fileName, const char* filter, const char* defaultExtension,
                        const char* initialDirectory) override;
    bool SaveFileDialog(NativeWindowHandle owner, char* fileName, const char* filter, const char* defaultExtension,
                        const char* initialDirectory) override;
    bool GetUniversalName(const char* path, char* out) override;

private:
    FileObj* Find(const char* path) const;
    void Unlink(FileObj* file);

    FileObj* _lFiles = nullptr;
    unsigned _uLastError = NoError;
};

}  // namespace Vexir
