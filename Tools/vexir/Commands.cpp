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
        {"asset", "make and check asset files",
         "vexir asset pack IN OUT     write IN as a headed asset: digest of the plain bytes, then scrambled\n"
         "vexir asset unpack IN OUT   verify an asset and write its plain payload\n"
         "vexir asset verify FILE...  print each file's load status; fails unless all are Loaded\n"
         "vexir asset info FILE       print whether FILE has a header, its scheme, digest and payload size\n",
         RunAsset},
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
