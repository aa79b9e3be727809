// Console_Stdout: writes each message that passes the manager's threshold to
// standard output, behind its level mark and four spaces per open block, and
// flushes it, so a message is out when its print returns. It writes through
// std::cout's buffer without touching the host's stream state (see
// StandardStreams.h): a reader that went away costs no SIGPIPE, and a pipe
// nobody reads blocks the print, as it blocks printf. Messages that could not
// be written are counted; once writing works again a Warning says how many.
// Runs under the manager's lock, so the depth needs none of its own.
#pragma once

#include <Vexir/Console.h>

#include <string>

namespace Vexir {

class Console_Stdout : public IConsole {
public:
    explicit Console_Stdout(IMgrConsole* manager);
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    void Append(MessageKind kind, VerbosityLevel level, const char* text);

    int _iDepth;
    unsigned long long _uLost;
    std::string _sLine;
};

}  // namespace Vexir
