#include <Vexir/Console.h>

namespace Vexir {

AutoConsoleBlock::AutoConsoleBlock(IMgrConsole* manager, IConsole::VerbosityLevel level,
                                   const std::string& beginText, const std::string& endText)
    : _pManager(manager), _eLevel(level), _sEndText(endText)
{
    if (_pManager)
        _pManager->BeginBlock(_eLevel, beginText.c_str());
}

AutoConsoleBlock::AutoConsoleBlock(const AutoConsoleBlock& other) = default;

AutoConsoleBlock& AutoConsoleBlock::operator=(const AutoConsoleBlock& other) = default;

AutoConsoleBlock::~AutoConsoleBlock()
{
    if (_pManager)
        _pManager->EndBlock(_eLevel, _sEndText.c_str());
}

}  // namespace Vexir
