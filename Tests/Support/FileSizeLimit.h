// A full disk on demand: the process may not write files past a size, until
// the limit is lifted. Writes past it fail as they would on a full disk
// (short, then not at all). Where the system has no such limit, Impose says so.
#pragma once

#include <cstdint>

namespace VexirTest {

class FileSizeLimit {
public:
    FileSizeLimit() = default;
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when this platform cannot limit file sizes.
    bool Impose(std::uint64_t bytes);
    void Lift();

private:
    bool _bImposed = false;
};

}  // namespace VexirTest
