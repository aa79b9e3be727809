#include "Console/RemoteLaunch.h"

namespace Vexir {

std::vector<std::string> RemoteConsoleCandidates(const std::string& libraryFolder, const std::string& programFolder,
                                                 const std::string& searchPath, char separator,
                                                 const std::string& fileName)
{
    std::vector<std::string> candidates;
    const auto add = [&](const std::string& path) {
        for (const std::string& known : candidates)
            if (known == path)
                return;
        candidates.push_back(path);
    };
    if (!libraryFolder.empty())
        add(libraryFolder + fileName);
    if (!programFolder.empty())
        add(programFolder + fileName);
    const char slash = separator == ';' ? '\\' : '/';
    for (std::size_t start = 0; start <= searchPath.size();) {
        std::size_t end = searchPath.find(separator, start);
        if (end == std::string::npos)
            end = searchPath.size();
        std::string folder = searchPath.substr(start, end - start);
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty()) {
            if (folder.back() != slash && folder.back() != '/')
                folder += slash;
            add(folder + fileName);
        }
        start = end + 1;
    }
    return candidates;
}

}  // namespace Vexir
