#include <Vexir/Console.h>

// The texts are plain text, never formats: a block named after a file such as
// "scene%s.scn" must print that name, not read arguments that are not there.

namespace Vexir {

AutoConsoleBlock::AutoConsoleBlock(IMgrConsole* manager, IConsole::VerbosityLevel level,
                                   const std::string& beginText, const std::string& endText)
    : _pManager(manager), _eLevel(level), _sEndText(endText)
{
    if (_pManager)
        _pManager->BeginBlock(_eLevel, "%s", beginText.c_str());
}

AutoConsoleBlock::AutoConsoleBlock(const AutoConsoleBlock& other) = default;

AutoConsoleBlock& AutoConsoleBlock::operator=(const AutoConsoleBlock& other) = default;

AutoConsoleBlock::~AutoConsoleBlock()
{
    if (_pManager)
        _pManager->EndBlock(_eLevel, "%s", _sEndText.c_str());
}

}  // namespace Vexir
