#include "Console/BuiltinConsoles.h"

#include "Console/Console_File.h"
#include "Console/Console_Null.h"
#include "Console/Console_Remote.h"
#include "Console/Console_Stdout.h"
#include "Console/WindowConsole.h"

namespace Vexir {

IConsole* CreateBuiltinConsole(IMgrConsole::ConsoleType type, IMgrConsole* manager)
{
    switch (type) {
    case IMgrConsole::Null:
        return new Console_Null(manager);
    case IMgrConsole::Stdout:
        return new Console_Stdout(manager);
    case IMgrConsole::File:
        return new Console_File(manager);
    case IMgrConsole::Remote:
        return new Console_Remote(manager);
    case IMgrConsole::Windows:
        return CreateWindowConsole(manager);
    default:
        return nullptr;
    }
}

}  // namespace Vexir
