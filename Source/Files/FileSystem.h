// What the operating system does for the file manager.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <Vexir/Platform.h>

namespace Vexir {

// Opens a file by UTF-8 name in one of the four manager modes; null on failure
// (a directory is not a file). Malformed UTF-8 throws utf8_conversion_error.
std::FILE* OpenStream(const char* path, unsigned mode);
long long TellStream(std::FILE* stream);
// Makes a stream read bytes as they are (a Windows text stream would turn CRLF
// into LF and stop at a Ctrl-Z), returning how it read before; its buffer must
// be empty (just after a seek). RestoreReading puts that back, again with an
// empty buffer. Linux has no text mode: both do nothing.
int ReadBytesUnchanged(std::FILE* stream);
void RestoreReading(std::FILE* stream, int previous);
bool SeekStream(std::FILE* stream, long long offset, int whence);

// The size of a regular file; false when the path names none (a directory, a
// pipe or a device is no file to read whole) or it cannot be queried.
// Malformed UTF-8 throws utf8_conversion_error.
bool QueryFileSize(const char* path, unsigned long long& size);

bool IsRegularFile(const char* path);
bool IsDirectoryPath(const char* path);
// Appends the plain files of the directory, in no order, leaving out names
// that have no UTF-8 form; false when it cannot be searched.
bool ListPlainFiles(const std::string& directory, std::vector<std::string>& names);
// Reports an allocation failure through the thread's system error code.
void SetOutOfMemoryError();

// The network name of the path, or the path itself when it has none.
std::string NetworkName(const char* path);

// The system's file dialogs; `fileName` in and out as UTF-8. False when the
// user cancels, the arguments cannot be converted, or there is no dialog.
bool ShowFileDialog(bool save, NativeWindowHandle owner, std::string& fileName, const char* filter,
                    const char* defaultExtension, const char* initialDirectory);

}  // namespace Vexir
