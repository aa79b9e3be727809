#include "Files/MgrFiles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Files/FileObj.h"
#include "Files/FileSystem.h"
#include "Files/TextCopy.h"
#include "Foundation/LibraryLifetime.h"

namespace Vexir {

namespace {

// The buffers the dialogs and GetUniversalName write into: the Windows path limit.
const std::size_t kNameBufferSize = 260;

// The chosen name goes back into the caller's buffer, always terminated. A
// name too long for the buffer is not cut to another file's name: the answer
// is false and the buffer keeps what it held.
bool RunDialog(bool save, NativeWindowHandle owner, char* fileName, const char* filter, const char* defaultExtension,
               const char* initialDirectory)
{
    if (!fileName)
        return false;
    std::string name(fileName, strnlen(fileName, kNameBufferSize));
    if (!ShowFileDialog(save, owner, name, filter, defaultExtension, initialDirectory) ||
        name.size() >= kNameBufferSize)
        return false;
    return CopyTerminated(fileName, kNameBufferSize, name);
}

LibrarySingleton<MgrFiles> s_manager;

}  // namespace

IMgrFiles* GetMgrFiles() { return s_manager.Get(); }

void DestroyFileManager() { s_manager.Destroy(); }

MgrFiles::~MgrFiles() { CloseAll(); }

// The process-wide manager lives until the library unloads; releasing it is a
// mistake that must not free storage that was never allocated.
void MgrFiles::Release()
{
    if (!s_manager.Holds(this))
        delete this;
}

bool MgrFiles::DirectoryExists(const char* path) { return IsDirectoryPath(path); }
bool MgrFiles::DirectoryExists(const std::string& path) { return IsDirectoryPath(path.c_str()); }
bool MgrFiles::FileExists(const char* path) { return IsRegularFile(path); }
bool MgrFiles::FileExists(const std::string& path) { return IsRegularFile(path.c_str()); }

bool MgrFiles::ListFiles(const std::string& directory, std::vector<std::string>& names)
{
    // An empty name is the current directory on every platform (Windows would
    // read "\\*" as the drive's root).
    std::vector<std::string> found;
    if (!ListPlainFiles(directory.empty() ? std::string(".") : directory, found))
        return false;
    // One order on every platform, whatever the file system's: by bytes.
    std::sort(found.begin(), found.end());
    names.insert(names.end(), found.begin(), found.end());
    return true;
}

IFileObj* MgrFiles::Open(const std::string& path, unsigned mode) { return Open(path.c_str(), mode); }

IFileObj* MgrFiles::Open(const char* path, unsigned mode)
{
    if (!path) {
        _uLastError = CannotOpen;
        return nullptr;
    }
    if (FileObj* shared = Find(path)) {
        ++shared->_uRefCount;
        return shared;
    }
    if (mode > WriteText) {
        _uLastError = BadMode;
        return nullptr;
    }
    std::FILE* stream = OpenStream(path, mode);
    if (!stream) {
        _uLastError = CannotOpen;
        return nullptr;
    }
    auto* file = new (std::nothrow) FileObj;
    if (!file) {
        std::fclose(stream);
        _uLastError = OutOfMemory;
        return nullptr;
    }
    file->SetFileHandle(stream);
    file->_sName = path;
    file->_uNameLength = file->_sName.size();
    file->_uState = 1;
    file->_pNext = _lFiles;
    if (_lFiles)
        _lFiles->_pPrev = file;
    _lFiles = file;
    return file;
}

FileObj* MgrFiles::Find(const char* path) const
{
    for (FileObj* file = _lFiles; file; file = file->_pNext)
        if (file->_sName == path)
            return file;
    return nullptr;
}

void MgrFiles::Unlink(FileObj* file)
{
    if (file->_pPrev)
        file->_pPrev->_pNext = file->_pNext;
    else
        _lFiles = file->_pNext;
    if (file->_pNext)
        file->_pNext->_pPrev = file->_pPrev;
}

bool MgrFiles::Close(IFileObj* file)
{
    if (!file)
        return false;
    auto* object = static_cast<FileObj*>(file);
    if (object->_uRefCount > 0) {
        --object->_uRefCount;
        return true;
    }
    if (object->_pFile)
        std::fclose(object->_pFile);
    Unlink(object);
    delete object;
    return true;
}

bool MgrFiles::CloseAll()
{
    while (FileObj* file = _lFiles) {
        _lFiles = file->_pNext;
        if (file->_pFile)
            std::fclose(file->_pFile);
        delete file;
    }
    return true;
}

unsigned char* MgrFiles::LoadFile(const char* path, std::size_t* size, bool terminate)
{
    std::size_t ignored = 0;
    std::size_t& loaded = size ? *size : ignored;
    loaded = 0;
    IFileObj* file = Open(path, ReadBinary);
    if (!file)
        return nullptr;
    // A name that is open already shares its object: read from the start,
    // bytes as they are whatever mode the other holder opened it in, and leave
    // its position and mode as they were. Each switch of mode comes just after
    // a seek has emptied the stream's buffer.
    const long long position = file->Tell();
    file->Seek(0, 1);
    const int mode = ReadBytesUnchanged(file->GetFileHandle());
    const long long fileSize = file->GetSize();
    const std::size_t bytes = static_cast<std::size_t>(fileSize) + (terminate ? 1 : 0);
    auto* data = static_cast<unsigned char*>(std::malloc(bytes ? bytes : 1));
    if (data)
        loaded = file->Read(data, static_cast<std::size_t>(fileSize));
    file->Seek(position, 1);
    RestoreReading(file->GetFileHandle(), mode);
    if (!data) {
        Close(file);
        SetOutOfMemoryError();
        return nullptr;
    }
    if (terminate) {
        data[loaded] = 0;
        ++loaded;
    }
    Close(file);
    return data;
}

void MgrFiles::FreeFileData(unsigned char* data) { std::free(data); }

bool MgrFiles::OpenFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                              const char* defaultExtension, const char* initialDirectory)
{
    return RunDialog(false, owner, fileName, filter, defaultExtension, initialDirectory);
}

bool MgrFiles::SaveFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                              const char* defaultExtension, const char* initialDirectory)
{
    return RunDialog(true, owner, fileName, filter, defaultExtension, initialDirectory);
}

bool MgrFiles::GetUniversalName(const char* path, char* out)
{
    if (!out)
        return false;
    if (!path) {
        *out = '\0';
        return false;
    }
    return CopyTerminated(out, kNameBufferSize, NetworkName(path));
}

}  // namespace Vexir
