#include "Console/Console_Stdout.h"

#include <Vexir/Assert.h>

#include <string>

#include "Console/LevelMarks.h"
#include "Foundation/StandardStreams.h"

namespace Vexir {

Console_Stdout::Console_Stdout(IMgrConsole* manager) : _iDepth(0), _uLost(0) {}

void Console_Stdout::Append(MessageKind kind, VerbosityLevel level, const char* text)
{
    _sLine.append(static_cast<std::size_t>(_iDepth) * 4, ' ');
    _sLine.append(LevelMark(level)).append(1, ' ');
    switch (kind) {
    case Normal:
        _sLine.append(text);
        break;
    case BlockBegin:
        _sLine.append(text).append("{\n");
        ++_iDepth;
        break;
    case BlockEnd:
        _sLine.append("} ").append(text).append("\n");
        if (_iDepth > 0)
            --_iDepth;
        break;
    }
}

void Console_Stdout::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    IMgrConsole* manager = GetMgrConsole();
    if (!manager) {
        CORE_ASSERT_MSG(0, "Can't get MgrConsole pointer");
        return;
    }
    if (static_cast<int>(level) > static_cast<int>(manager->GetVerbosity()))
        return;
    if (kind != Normal && kind != BlockBegin && kind != BlockEnd)
        return;

    _sLine.clear();
    if (_uLost > 0) {
        const std::string notice = "Standard output: " + std::to_string(_uLost) +
                                   (_uLost == 1 ? " message" : " messages") + " could not be written\n";
        Append(Normal, Warning, notice.c_str());
    }
    Append(kind, level, text ? text : "");
    if (WriteStandardOutput(_sLine.data(), _sLine.size(), true))
        _uLost = 0;
    else
        ++_uLost;
}

}  // namespace Vexir
