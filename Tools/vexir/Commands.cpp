#include "Command.h"

namespace VexirTool {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> s_commands = {
        {"tour", "walk through what the library can do",
         "vexir tour\n"
         "  Walks through the library's subsystems, printing what each one does.\n"
         "  It never waits for input: the failed assertion it shows is answered by\n"
         "  a handler the tour installs.\n",
         RunTour},
    };
    return s_commands;
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : Commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

}  // namespace VexirTool
