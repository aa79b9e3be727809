// The file manager: opens files by UTF-8 name into shared, reference-counted
// file objects, loads whole files, tests for files and directories, lists the
// plain files of a directory, finds the network name of a path and shows the
// open and save dialogs.
//
// Sizes and positions are 64-bit on every platform. The manager takes no lock:
// callers on several threads serialise their calls.
//
// On both platforms ListFiles("") lists the current directory, DirectoryExists
// accepts a trailing separator ("data/") and a name ending in a separator is
// never a file. Linux differs from Windows in these points:
//  - files open in binary mode whatever the mode asks (Linux has no text mode);
//  - names are bytes: "\\" is an ordinary character on Linux, a separator on
//    Windows, and Windows ignores a final dot or blank in a name;
//  - names differing only in case are different files on Linux, the same on
//    Windows;
//  - Windows refuses names longer than 260 characters in ListFiles and Open;
//  - ListFiles returns the names sorted by bytes (Windows returns them in the
//    file system's order);
//  - GetUniversalName finds network names in the mount table: a path on a
//    CIFS/SMB share becomes //server/share/rest, one on an NFS export
//    server:/export/rest;
//  - the open and save dialogs are not available yet: they return false and
//    show nothing.
#pragma once

#include <Vexir/Platform.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace Vexir {

// An open file. Get one from IMgrFiles::Open and give it back with Close;
// never delete it.
class VEXIR_API IFileObj {
public:
    virtual ~IFileObj() = default;

    // The name it was opened under, exactly as given to Open.
    virtual const char* GetFilename() = 0;
    virtual std::size_t GetFilenameLength() = 0;
    virtual void SetFileHandle(std::FILE* file) = 0;
    virtual std::FILE* GetFileHandle() = 0;
    // 0 for a fresh object, 1 once the manager has opened it.
    virtual unsigned GetOpenState() = 0;
    // The length of the file; the position is left where it was.
    virtual long long GetSize() = 0;
    // Has no effect and returns 0.
    virtual int FormattedIo(const char* format, ...) = 0;
    // Reads one line as fgets does; true when something was read.
    virtual bool ReadLine(char* buffer, int size) = 0;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Scans one whitespace-delimited word with "%s": `out` must hold the longest
    // word the file can contain. Prefer the bounded form at the end.
    virtual int ReadString(char* out) = 0;
    virtual int ReadUInt(unsigned int* out) = 0;
    virtual int ReadULong(unsigned long* out) = 0;
    virtual int ReadFloat(float* out) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual int Flush() = 0;
    virtual long long Tell() = 0;
    // Origin 0 moves from the current position, 1 from the start, 2 from the
    // end; any other origin returns false without moving.
    virtual bool Seek(long long offset, unsigned origin) = 0;
    // Scans one word into `out`, at most capacity - 1 bytes and a terminator;
    // the rest of a longer word stays in the stream. (Last, so that the slots
    // before it keep their places.)
    virtual int ReadString(char* out, std::size_t capacity) = 0;
};

class VEXIR_API IMgrFiles {
public:
    // Open modes.
    enum Mode : unsigned { ReadBinary = 0, WriteBinary = 1, ReadText = 2, WriteText = 3 };
    // Codes of GetLastErrorCode, left by a failed Open.
    enum ErrorCode : unsigned { NoError = 0, BadMode = 1, OutOfMemory = 3, CannotOpen = 5 };

    virtual ~IMgrFiles() = default;

    // Deletes this object. Never call it on the manager from GetMgrFiles.
    virtual void Release() = 0;
    virtual bool DirectoryExists(const char* path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool FileExists(const char* path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Appends the names (no directory) of the plain files in `directory`;
    // false when the directory cannot be searched.
    virtual bool ListFiles(const std::string& directory, std::vector<std::string>& names) = 0;
    // Opens a file, or shares the object of a name opened before (compared
    // byte for byte, whatever the mode) with one more reference. Null on
    // failure, with the reason in GetLastErrorCode. Malformed UTF-8 in the name
    // throws utf8util::utf8_conversion_error.
    virtual IFileObj* Open(const std::string& path, unsigned mode) = 0;
    virtual IFileObj* Open(const char* path, unsigned mode) = 0;
    // Drops one reference; the last one closes and deletes the object.
    virtual bool Close(IFileObj* file) = 0;
    // Closes and deletes every open object, whatever its references.
    virtual bool CloseAll() = 0;
    // The whole file in a buffer from FreeFileData, one zero byte longer when
    // `terminate` is set (and counted in *size). Null when it cannot be read.
    virtual unsigned char* LoadFile(const char* path, std::size_t* size, bool terminate) = 0;
    virtual void FreeFileData(unsigned char* data) = 0;
    virtual unsigned GetLastErrorCode() = 0;
    // `fileName` holds at least 260 bytes: the initial name in, the chosen
    // name out, always terminated. On Linux the dialogs come from the UI
    // module (see IMgrConsole) and need a display; `owner` is not used there. A chosen name that does not fit gives false
    // and leaves the buffer as it was (a cut name would be another file's).
    virtual bool OpenFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                                const char* defaultExtension, const char* initialDirectory) = 0;
    virtual bool SaveFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                                const char* defaultExtension, const char* initialDirectory) = 0;
    // Writes the network name of `path` into `out` (at least 260 bytes), or the
    // path unchanged when it is not on a network share. False only when the
    // name does not fit: `out` then holds as much of it as fits, terminated.
    virtual bool GetUniversalName(const char* path, char* out) = 0;
};

// The file manager, made on the first call; null once the library unloads,
// which is after the host's static destructors and exit handlers have run.
VEXIR_API IMgrFiles* GetMgrFiles();

}  // namespace Vexir
