// Sends what the process writes to its standard error into a file of its own
// for the lifetime of the object: the descriptor itself, so that the library's
// own writes, not only std::cerr's, are caught.
#pragma once

#include <cstdio>
#include <string>

namespace VexirTest {

class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    // Everything written so far.
    std::string Text();

private:
    std::FILE* _pFile = nullptr;
    int _iSaved = -1;
};

}  // namespace VexirTest
