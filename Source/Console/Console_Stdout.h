// Console_Stdout: writes each message that passes the manager's threshold to
// standard output, behind its level mark and four spaces per open block. Block
// lines end with a line end and a flush; normal messages carry their own line
// ends. Runs under the manager's lock, so the depth needs none of its own.
#pragma once

#include <Vexir/Console.h>

namespace Vexir {

class Console_Stdout : public IConsole {
public:
    explicit Console_Stdout(IMgrConsole* manager);
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    int _iDepth;
};

}  // namespace Vexir
