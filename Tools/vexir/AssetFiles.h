// Files as `vexir asset` reads and writes them: names taken one way by every
// subcommand, only regular files read, and outputs replaced whole or not at all.
#pragma once

#include <Vexir/Path.h>

#include <filesystem>
#include <string>

namespace VexirTool {

// A typed name, made absolute against the current folder and read as a
// library Path, so that "..", "\" and "/" mean the same to every subcommand.
// A UsageError for a name that is no valid path.
Vexir::Path AssetName(const std::string& command, const std::string& typed);
std::filesystem::path FileSystemPath(const Vexir::Path& name);

// The whole of a regular file; false with the reason otherwise.
bool ReadRegularFile(const Vexir::Path& name, std::string& bytes, std::string& why);
// The size of a regular file; false with the reason otherwise.
bool RegularFileSize(const Vexir::Path& name, unsigned long long& size, std::string& why);

// Writes `bytes` to a new file beside `target`, then puts it in place of
// `target`: on any failure `target` is as it was and the new file is gone.
bool WriteReplacing(const Vexir::Path& target, const std::string& bytes, std::string& why);

// Renames `from` over `to`, replacing it.
bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why);

}  // namespace VexirTool
