#include "AssetFiles.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

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

}  // namespace

Vexir::Path AssetName(const std::string& command, const std::string& typed)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::u8path(typed), error);
    const Vexir::Path name(error ? typed : absolute.lexically_normal().generic_u8string());
    if (typed.empty() || error || !name.IsValid() || name.IsDirectory())
        throw UsageError(command, "\"" + typed + "\" is not a valid file name");
    return name;
}

fs::path FileSystemPath(const Vexir::Path& name) { return fs::u8path(name.AsString()); }

bool ReadRegularFile(const Vexir::Path& name, std::string& bytes, std::string& why)
{
    const fs::path path = FileSystemPath(name);
    why = NotAFile(path);
    if (!why.empty())
        return false;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    if (!file || !(content << file.rdbuf()) || file.bad()) {
        why = "it could not be read";
        return false;
    }
    bytes = content.str();
    return true;
}

bool RegularFileSize(const Vexir::Path& name, unsigned long long& size, std::string& why)
{
    const fs::path path = FileSystemPath(name);
    why = NotAFile(path);
    std::error_code error;
    if (why.empty())
        size = fs::file_size(path, error);
    if (error)
        why = error.message();
    return why.empty();
}

bool WriteReplacing(const Vexir::Path& target, const std::string& bytes, std::string& why)
{
    static std::atomic<unsigned> s_uCounter{0};
    const fs::path destination = FileSystemPath(target);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path temporary = destination;
    temporary += ".vexir-" + std::to_string(stamp) + "-" + std::to_string(s_uCounter++) + ".tmp";
    bool written;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        written = file && file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
        file.close();
        written = written && !file.fail();
    }
    std::error_code ignored;
    if (!written) {
        fs::remove(temporary, ignored);
        why = "it could not be written (is the folder there, writable, with room?)";
        return false;
    }
    if (!ReplaceWith(temporary, destination, why)) {
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace VexirTool
