/// @file
/// The file manager: opens files by UTF-8 name into shared, reference-counted
/// file objects, loads whole files, tests for files and directories, lists the
/// plain files of a directory, finds the network name of a path and shows the
/// open and save dialogs.
///
/// Sizes and positions are 64-bit on every platform. The manager takes no lock:
/// callers on several threads serialise their calls.
///
/// On both platforms ListFiles("") lists the current directory and returns the
/// names sorted by their bytes (UTF-8, so by code point: "B.txt" before
/// "a.txt"), DirectoryExists accepts a trailing separator ("data/") and a name
/// ending in a separator is never a file. Names cross as UTF-8 alone: a name
/// on disk with no UTF-8 form (bytes that are not UTF-8 on Linux, a lone
/// surrogate on Windows) is not listed and does not exist for FileExists and
/// DirectoryExists, and naming it any other way throws. Linux differs from
/// Windows in these points:
///  - files open in binary mode whatever the mode asks (Linux has no text mode);
///  - names are bytes: a backslash is an ordinary character on Linux, a
///    separator on Windows, and Windows ignores a final dot or blank in a name;
///  - names differing only in case are different files on Linux, the same on
///    Windows;
///  - Windows takes names longer than 260 characters only where the system
///    does (long paths enabled), in ListFiles, Open and the assets alike;
///  - GetUniversalName finds network names in the mount table: a path on a
///    CIFS/SMB share becomes //server/share/rest, one on an NFS export
///    server:/export/rest;
///  - the open and save dialogs come from the UI module and need a display:
///    without them they return false and show nothing.
#pragma once

#include <Vexir/Platform.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace Vexir {

/// An open file. Get one from IMgrFiles::Open and give it back with Close;
/// never delete it.
///
/// Opening a name that is open already returns the same object, so the holders
/// share its position. Reading, writing and moving on an object with no stream
/// return 0 (or false) and do nothing.
class VEXIR_API IFileObj {
public:
    virtual ~IFileObj() = default;

    /// The name it was opened under, exactly as given to Open.
    virtual const char* GetFilename() = 0;
    /// The length of GetFilename() in bytes.
    virtual std::size_t GetFilenameLength() = 0;
    /// Replaces the C stream the object works on; the object then closes that
    /// stream when it is closed for the last time. The stream it held before
    /// is not closed.
    virtual void SetFileHandle(std::FILE* file) = 0;
    /// The C stream the object works on; do not close it yourself.
    virtual std::FILE* GetFileHandle() = 0;
    /// 0 for a fresh object, 1 once the manager has opened it.
    virtual unsigned GetOpenState() = 0;
    /// The length of the file; the position is left where it was.
    /// 0 also when the length cannot be found.
    virtual long long GetSize() = 0;
    /// Has no effect and returns 0.
    virtual int FormattedIo(const char* format, ...) = 0;
    /// Reads one line as fgets does; true when something was read.
    /// At most size - 1 bytes and a terminator; the line feed is kept.
    virtual bool ReadLine(char* buffer, int size) = 0;
    /// Reads up to `count` bytes into `buffer`; the count read, less at the end
    /// of the file or on an error.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    /// Scans one whitespace-delimited word with "%s": `out` must hold the longest
    /// word the file can contain. Prefer the bounded form at the end.
    /// Returns what fscanf returns: 1 for a word, EOF at the end of the file.
    virtual int ReadString(char* out) = 0;
    /// Scans an unsigned decimal number ("%u"); 1 when one was read, 0 when the
    /// text is no number, EOF at the end of the file.
    virtual int ReadUInt(unsigned int* out) = 0;
    /// Scans an unsigned decimal number ("%lu"); results as ReadUInt.
    virtual int ReadULong(unsigned long* out) = 0;
    /// Scans a floating-point number ("%g"); results as ReadUInt.
    virtual int ReadFloat(float* out) = 0;
    /// Writes `count` bytes from `buffer`; the count written, less on an error.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    /// Flushes the stream's buffer to the file: 0, or EOF on an error.
    virtual int Flush() = 0;
    /// The position in bytes from the start; -1 when it cannot be found.
    virtual long long Tell() = 0;
    /// Origin 0 moves from the current position, 1 from the start, 2 from the
    /// end; any other origin returns false without moving.
    /// True when the position moved.
    virtual bool Seek(long long offset, unsigned origin) = 0;
    /// Scans one word into `out`, at most capacity - 1 bytes and a terminator;
    /// the rest of a longer word stays in the stream. (Last, so that the slots
    /// before it keep their places.)
    /// Results as the unbounded ReadString; 0 for a capacity below 2.
    virtual int ReadString(char* out, std::size_t capacity) = 0;
};

/// The file manager; get it from GetMgrFiles.
///
/// It keeps one object per open name, counting the holders: each Open of the
/// name needs its Close.
class VEXIR_API IMgrFiles {
public:
    /// Open modes.
    enum Mode : unsigned { ReadBinary = 0, WriteBinary = 1, ReadText = 2, WriteText = 3 };
    /// Codes of GetLastErrorCode, left by a failed Open.
    enum ErrorCode : unsigned { NoError = 0, BadMode = 1, OutOfMemory = 3, CannotOpen = 5 };
    /// @var ReadBinary
    /// Reads an existing file.
    /// @var WriteBinary
    /// Creates the file, or empties an existing one, for writing and reading.
    /// @var ReadText
    /// ReadBinary with line ends translated on Windows.
    /// @var WriteText
    /// WriteBinary with line ends translated on Windows.
    /// @var NoError
    /// No Open has failed yet.
    /// @var BadMode
    /// The mode is none of the Mode values.
    /// @var OutOfMemory
    /// There was no memory for the file object.
    /// @var CannotOpen
    /// The name is null, or the system could not open it (a directory cannot
    /// be opened).

    virtual ~IMgrFiles() = default;

    /// Deletes this object. Never call it on the manager from GetMgrFiles.
    /// (On that one it does nothing.)
    virtual void Release() = 0;
    /// True when `path` names a directory; false for a null path.
    virtual bool DirectoryExists(const char* path) = 0;
    /// True when `path` names a directory.
    virtual bool DirectoryExists(const std::string& path) = 0;
    /// True when `path` names a plain file (not a directory); false for a null path.
    virtual bool FileExists(const char* path) = 0;
    /// True when `path` names a plain file (not a directory).
    virtual bool FileExists(const std::string& path) = 0;
    /// Appends the names (no directory) of the plain files in `directory`,
    /// sorted by bytes among themselves, after what `names` held; false when
    /// the directory cannot be searched.
    /// Malformed UTF-8 in the name throws utf8util::utf8_conversion_error.
    virtual bool ListFiles(const std::string& directory, std::vector<std::string>& names) = 0;
    /// Opens a file, or shares the object of a name opened before (compared
    /// byte for byte, whatever the mode) with one more reference. Null on
    /// failure, with the reason in GetLastErrorCode. Malformed UTF-8 in the name
    /// throws utf8util::utf8_conversion_error.
    /// `mode` is one of the Mode values.
    virtual IFileObj* Open(const std::string& path, unsigned mode) = 0;
    /// Open for a C string; a null name fails with CannotOpen.
    virtual IFileObj* Open(const char* path, unsigned mode) = 0;
    /// Drops one reference; the last one closes and deletes the object.
    /// False only for a null object.
    virtual bool Close(IFileObj* file) = 0;
    /// Closes and deletes every open object, whatever its references.
    /// Every IFileObj pointer held anywhere is then invalid. Returns true.
    virtual bool CloseAll() = 0;
    /// The whole file in a buffer from FreeFileData, one zero byte longer when
    /// `terminate` is set (and counted in *size). Null when it cannot be read.
    /// `size` may be null. The bytes are the file's as they are, whatever the
    /// mode: a name that is open already is read through its shared object,
    /// from the start and as bytes even when it was opened as text, and its
    /// position and mode are kept. A failed Open leaves its code in
    /// GetLastErrorCode; malformed UTF-8 throws as Open does.
    virtual unsigned char* LoadFile(const char* path, std::size_t* size, bool terminate) = 0;
    /// Frees a buffer that LoadFile returned; null is allowed.
    virtual void FreeFileData(unsigned char* data) = 0;
    /// The ErrorCode of the last Open that failed; a later success does not
    /// reset it.
    virtual unsigned GetLastErrorCode() = 0;
    /// `fileName` holds at least 260 bytes: the initial name in, the chosen
    /// name out, always terminated. On Linux the dialogs come from the UI
    /// module (see IMgrConsole) and need a display; `owner` is not used there. A chosen name that does not fit gives false
    /// and leaves the buffer as it was (a cut name would be another file's).
    ///
    /// Shows the open dialog, in which only an existing file can be chosen.
    /// `filter` is a list of pairs of zero-terminated texts, a name and its
    /// patterns, closed by an empty text; `defaultExtension` and
    /// `initialDirectory` may be null. False also when the user cancels or the
    /// filter is not UTF-8; on Linux any text that is not UTF-8 gives false,
    /// while on Windows a malformed name, extension or directory throws
    /// utf8util::utf8_conversion_error. Waits until the dialog closes.
    virtual bool OpenFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                                const char* defaultExtension, const char* initialDirectory) = 0;
    /// Shows the save dialog, which asks before replacing an existing file;
    /// the arguments and results are those of OpenFileDialog.
    virtual bool SaveFileDialog(NativeWindowHandle owner, char* fileName, const char* filter,
                                const char* defaultExtension, const char* initialDirectory) = 0;
    /// Writes the network name of `path` into `out` (at least 260 bytes), or the
    /// path unchanged when it is not on a network share. False only when the
    /// name does not fit: `out` then holds as much of it as fits, terminated.
    /// A null `path` also gives false (and an empty `out`). Malformed UTF-8
    /// in `path` throws utf8util::utf8_conversion_error.
    virtual bool GetUniversalName(const char* path, char* out) = 0;
};

/// The file manager, made on the first call; null once the library unloads,
/// which is after the host's static destructors and exit handlers have run.
VEXIR_API IMgrFiles* GetMgrFiles();

}  // namespace Vexir
