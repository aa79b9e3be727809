// One scratch file per fuzzer process, for targets whose input is a file.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace VexirFuzz {

// A file of that name in a folder of this process's own.
inline std::string ScratchPath(const char* name)
{
    static const std::filesystem::path folder = [] {
        std::random_device random;
        const auto made = std::filesystem::temp_directory_path() /
                          ("vexir-fuzz-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(made);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return made;
    }();
    return (folder / name).string();
}

inline bool WriteFile(const std::string& path, const void* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace VexirFuzz
