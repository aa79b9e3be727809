// Files as `vexir asset` reads and writes them: every subcommand takes a name
// the same way (as the file system reads it), only regular files are read,
// and outputs are replaced whole or not at all.
#pragma once

#include <Vexir/Path.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace VexirTool {

struct AssetFile {
    std::string typed;             // as the user wrote it, for messages
    std::filesystem::path path;    // absolute, for the file system

    // The same file as the library names it. False, with the reason, when the
    // library would read the name as another file (a "\" on Linux, a final
    // dot) or cannot name it at all.
    bool LibraryPath(Vexir::Path& name, std::string& why) const;
};

// A UsageError for an empty name.
AssetFile NameOf(const std::string& command, const std::string& typed);

// The whole of a regular file; false with the reason otherwise.
bool ReadRegularFile(const AssetFile& file, std::string& bytes, std::string& why);
// The size of a regular file; false with the reason otherwise.
bool RegularFileSize(const AssetFile& file, unsigned long long& size, std::string& why);

// Writes `bytes` to a new file in the folder of `target` (of the file a link
// there points to), gives it the old file's permissions and puts it in place.
// On any failure the old file is as it was and the new one is gone. Refuses a
// target that exists but is no regular file (a device, a pipe) or is read-only.
bool WriteReplacing(const AssetFile& target, const std::string& bytes, std::string& why);

// What the platform does for the above.
std::FILE* OpenFile(const std::filesystem::path& name, const char* mode);
bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why);

}  // namespace VexirTool
