#include "Console/Console_Stdout.h"

#include <Vexir/Assert.h>

#include <iostream>
#include <string>

#include "Console/LevelMarks.h"

namespace Vexir {

Console_Stdout::Console_Stdout(IMgrConsole* manager) : _iDepth(0) {}

void Console_Stdout::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    IMgrConsole* manager = GetMgrConsole();
    if (!manager) {
        CORE_ASSERT_MSG(0, "Can't get MgrConsole pointer");
        return;
    }
    if (static_cast<int>(level) > static_cast<int>(manager->GetVerbosity()))
        return;

    const std::string indent(static_cast<std::size_t>(_iDepth) * 4, ' ');
    const char* mark = LevelMark(level);
    switch (kind) {
    case Normal:
        std::cout << indent << mark << ' ' << text;
        break;
    case BlockBegin:
        std::cout << indent << mark << ' ' << text << '{' << std::endl;
        ++_iDepth;
        break;
    case BlockEnd:
        std::cout << indent << mark << ' ' << "} " << text << std::endl;
        if (_iDepth > 0)
            --_iDepth;
        break;
    }
}

}  // namespace Vexir
