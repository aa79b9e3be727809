// Console_Null: receives every message and shows none of them.
#pragma once

#include <Vexir/Console.h>

namespace Vexir {

class Console_Null : public IConsole {
public:
    explicit Console_Null(IMgrConsole* manager) {}
    void Output(MessageKind, VerbosityLevel, const char*) override {}
};

}  // namespace Vexir
