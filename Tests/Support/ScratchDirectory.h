// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ChildProcess.h"

namespace VexirTest {

// Where a test writes a file that a later check reads: the folder the run
// names in VEXIR_TEST_OUTPUT (kept), else `scratch` (removed with it).
inline std::string OutputPath(const class ScratchDirectory& scratch, const std::string& name);

class ScratchDirectory {
public:
    ScratchDirectory() : _path(std::filesystem::temp_directory_path() / UniqueName("vexir-test"))
    {
        std::filesystem::create_directories(_path);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory, or a name inside it, as UTF-8 with "/" separators.
    std::string Path(const std::string& name = std::string()) const
    {
        const std::filesystem::path full = name.empty() ? _path : _path / std::filesystem::u8path(name);
        const std::string text = full.generic_u8string();
        return text;
    }

    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream file(std::filesystem::u8path(Path(name)), std::ios::binary);
        file << bytes;
    }

    // The file's text, line ends read as "\n".
    std::string ReadText(const std::string& name) const
    {
        std::ifstream file(std::filesystem::u8path(Path(name)));
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path _path;
};

inline std::string OutputPath(const ScratchDirectory& scratch, const std::string& name)
{
    const char* kept = std::getenv("VEXIR_TEST_OUTPUT");
    return kept && *kept ? (std::filesystem::u8path(kept) / std::filesystem::u8path(name)).generic_u8string()
                         : scratch.Path(name);
}

}  // namespace VexirTest
