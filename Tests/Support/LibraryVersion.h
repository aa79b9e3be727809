// The version the loaded library's file carries: on Linux its soname and
// real file name, on Windows its version resource.
#pragma once

#include <string>

namespace VexirTest {

struct LibraryVersion {
    bool read = false;
    std::string where;     // the file looked at
    std::string version;   // as the file carries it
    std::string expected;  // as the build's version says it should be
};

LibraryVersion LoadedLibraryVersion();

}  // namespace VexirTest
