// Redirects std::cout (and feeds std::cin) for the lifetime of the object, so
// that what the library writes to standard output can be compared byte for byte.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace VexirTest {

class StreamCapture {
public:
    explicit StreamCapture(const std::string& input = std::string())
        : _input(input), _pOldOut(std::cout.rdbuf(_output.rdbuf())), _pOldIn(std::cin.rdbuf(_input.rdbuf()))
    {
        std::cin.clear();
    }
    ~StreamCapture()
    {
        std::cout.rdbuf(_pOldOut);
        std::cin.rdbuf(_pOldIn);
        std::cin.clear();
    }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    std::string Output() const { return _output.str(); }

private:
    std::ostringstream _output;
    std::istringstream _input;
    std::streambuf* _pOldOut;
    std::streambuf* _pOldIn;
};

}  // namespace VexirTest
