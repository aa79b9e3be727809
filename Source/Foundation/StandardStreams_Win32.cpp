#include "Foundation/StandardStreams.h"

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "Foundation/LenientText_Win32.h"

namespace Vexir {

namespace {

// std::cout's buffer as the runtime set it up, writing to the process's
// standard output; a host that replaced it writes elsewhere.
std::streambuf* const s_pStandardBuffer = [] {
    static std::ios_base::Init s_streams;
    return std::cout.rdbuf();
}();

HANDLE ConsoleOutput()
{
    if (std::cout.rdbuf() != s_pStandardBuffer)
        return nullptr;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return output != INVALID_HANDLE_VALUE && output && GetConsoleMode(output, &mode) ? output : nullptr;
}

// In pieces that the console takes whole, never between the halves of a
// surrogate pair.
bool WriteConsoleText(HANDLE console, const std::wstring& wide)
{
    const std::size_t kPiece = 8192;
    for (std::size_t at = 0; at < wide.size();) {
        std::size_t count = wide.size() - at < kPiece ? wide.size() - at : kPiece;
        if (at + count < wide.size() && IS_HIGH_SURROGATE(wide[at + count - 1]))
            --count;
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(count), &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

}  // namespace

bool WriteStandardErrorNow(const char* text, std::size_t length)
{
    return std::fwrite(text, 1, length, stderr) == length && std::fflush(stderr) == 0;
}

const char* StandardInputTerminalProblem()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return input != INVALID_HANDLE_VALUE && input && GetConsoleMode(input, &mode) ? nullptr
                                                                                   : "Standard input is not a terminal";
}

bool WriteStandardOutput(const char* text, std::size_t length, bool flush)
{
    HANDLE console = ConsoleOutput();
    if (!console)
        return WriteThroughCoutBuffer(text, length, flush);
    // What the host wrote before must show first.
    WriteThroughCoutBuffer("", 0, true);
    std::fflush(stdout);
    return WriteConsoleText(console, LenientWide(std::string(text, length)));
}

}  // namespace Vexir
