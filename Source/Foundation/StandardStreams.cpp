#include "Foundation/StandardStreams.h"

#include <atomic>
#include <iostream>

namespace Vexir {

namespace {

// std::cin's buffer as the runtime set it up, reading the process's standard
// input; a host that replaced it feeds the library's questions itself.
std::streambuf* const s_pStandardInput = [] {
    static std::ios_base::Init s_streams;
    return std::cin.rdbuf();
}();

std::atomic<unsigned long> s_uLostErrorLines{0};

}  // namespace

bool WriteStandardError(const std::string& line)
{
    std::string text = line;
    const unsigned long lost = s_uLostErrorLines.load();
    if (lost > 0) {
        const std::size_t end = !text.empty() && text.back() == '\n' ? text.size() - 1 : text.size();
        text.insert(end, " (" + std::to_string(lost) + (lost == 1 ? " earlier line" : " earlier lines") +
                             " could not be written)");
    }
    if (!WriteStandardErrorNow(text.data(), text.size())) {
        ++s_uLostErrorLines;
        return false;
    }
    s_uLostErrorLines -= lost;
    return true;
}

const char* WhyNoAnswerCanBeAsked()
{
    std::streambuf* input = std::cin.rdbuf();
    if (!input)
        return "Standard input has no stream buffer";
    return input != s_pStandardInput ? nullptr : StandardInputTerminalProblem();
}

int ReadStandardInputCharacter()
{
    std::streambuf* input = std::cin.rdbuf();
    try {
        return input ? input->sbumpc() : -1;
    } catch (...) {
        return -1;
    }
}

bool WriteThroughCoutBuffer(const char* text, std::size_t length, bool flush)
{
    std::streambuf* buffer = std::cout.rdbuf();
    if (!buffer)
        return false;
    const std::streamsize wanted = static_cast<std::streamsize>(length);
    bool whole = false;
    try {
        whole = buffer->sputn(text, wanted) == wanted;
        if (flush)
            whole = buffer->pubsync() == 0 && whole;
    } catch (...) {
        // A host's own stream buffer may throw; the host's logging must not.
        whole = false;
    }
    return whole;
}

}  // namespace Vexir
