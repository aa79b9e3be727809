#include "AssetFiles.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Command.h"

namespace VexirTool {

namespace fs = std::filesystem;

namespace {

// Why a name cannot be read as a file, or empty when it can.
std::string NotAFile(const fs::path& name)
{
    std::error_code error;
    const fs::file_status status = fs::status(name, error);
    if (error)
        return error.message();
    if (fs::is_directory(status))
        return "it is a directory, not a file";
    if (!fs::is_regular_file(status))
        return "it is not a regular file";
    return std::string();
}

std::string SystemReason() { return errno != 0 ? std::strerror(errno) : "an unknown error"; }

// A short name no other run uses, in `folder`.
fs::path TemporaryIn(const fs::path& folder)
{
    static std::atomic<unsigned> s_uCounter{0};
    const auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char name[48];
    std::snprintf(name, sizeof name, ".vexir-%llx-%x.tmp", stamp, s_uCounter++);
    return folder / name;
}

}  // namespace

AssetFile NameOf(const std::string& command, const std::string& typed)
{
    if (typed.empty())
        throw UsageError(command, "an empty file name");
    std::error_code error;
    fs::path absolute = fs::absolute(fs::u8path(typed), error);
    return AssetFile{typed, error ? fs::u8path(typed) : absolute.lexically_normal()};
}

bool AssetFile::LibraryPath(Vexir::Path& name, std::string& why) const
{
    const std::string generic = path.generic_u8string();
    name = Vexir::Path(generic);
    if (!name.IsValid() || name.IsDirectory() || name.AsString() != generic) {
        why = "the library cannot open \"" + typed + "\" by that name" +
              (name.IsValid() ? " (it would read it as " + name.AsString() + ")" : "");
        return false;
    }
    return true;
}

bool ReadRegularFile(const AssetFile& file, std::string& bytes, std::string& why)
{
    why = NotAFile(file.path);
    if (!why.empty())
        return false;
    errno = 0;
    std::FILE* stream = OpenFile(file.path, "rb");
    if (!stream) {
        why = SystemReason();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(stream) != 0;
    if (failed)
        why = SystemReason();
    std::fclose(stream);
    return !failed;
}

bool RegularFileSize(const AssetFile& file, unsigned long long& size, std::string& why)
{
    why = NotAFile(file.path);
    std::error_code error;
    if (why.empty())
        size = fs::file_size(file.path, error);
    if (error)
        why = error.message();
    return why.empty();
}

bool WriteReplacing(const AssetFile& target, const std::string& bytes, std::string& why)
{
    // A link is followed: the file it points to is the one replaced.
    std::error_code error;
    fs::path destination = target.path;
    if (fs::is_symlink(fs::symlink_status(destination, error))) {
        destination = fs::canonical(destination, error);
        if (error) {
            why = "it is a link to a file that is not there";
            return false;
        }
    }
    const fs::file_status old = fs::status(destination, error);
    const bool replacing = fs::exists(old);
    if (replacing && !fs::is_regular_file(old)) {
        why = fs::is_directory(old) ? "it is a directory" : "it is not a regular file";
        return false;
    }
    if (replacing && (old.permissions() & fs::perms::owner_write) == fs::perms::none) {
        why = "it is read-only";
        return false;
    }
    const fs::path temporary = TemporaryIn(destination.parent_path());
    errno = 0;
    std::FILE* stream = OpenFile(temporary, "wb");
    if (!stream) {
        why = SystemReason();
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && std::fflush(stream) == 0;
    if (!written)
        why = SystemReason();
    if (std::fclose(stream) != 0 && written) {
        written = false;
        why = SystemReason();
    }
    if (written && replacing)
        fs::permissions(temporary, old.permissions(), error);
    if (!written || !ReplaceWith(temporary, destination, why)) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace VexirTool
