// Network names from the mount table: the mount that holds the path decides,
// and only CIFS/SMB and NFS mounts have a network name.
#include "Files/FileSystem.h"

#include <Vexir/Utf8Util.h>

#include <fstream>
#include <sstream>

namespace Vexir {

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The mount table writes blanks and a few other bytes as "\ooo".
std::string Unescape(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escaped = field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
                             IsOctal(field[i + 2]) && IsOctal(field[i + 3]);
        if (escaped) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool IsUnder(const std::string& path, const std::string& mountPoint)
{
    if (mountPoint == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

bool IsShare(const std::string& type) { return type == "cifs" || type == "smb3" || type == "smbfs"; }
bool IsExport(const std::string& type) { return type == "nfs" || type == "nfs4"; }

}  // namespace

std::string NetworkName(const char* path)
{
    utf8util::Utf8ToUtf16(path);
    const std::string text = path;
    std::ifstream table("/proc/self/mounts");
    std::string line, bestSource, bestPoint, bestType;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string source, point, type;
        if (!(fields >> source >> point >> type))
            continue;
        point = Unescape(point);
        if (IsUnder(text, point) && point.size() >= bestPoint.size()) {
            bestSource = Unescape(source);
            bestPoint = point;
            bestType = type;
        }
    }
    if (!IsShare(bestType) && !IsExport(bestType))
        return text;
    std::string rest = text.substr(bestPoint == "/" ? 0 : bestPoint.size());
    if (!bestSource.empty() && bestSource.back() == '/' && !rest.empty() && rest[0] == '/')
        rest.erase(0, 1);
    return bestSource + rest;
}

}  // namespace Vexir
