#include <string>
#include <vector>

#include "Command.h"
#include "Utf8Arguments_Win32.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    if (!VexirTools::Utf8Arguments("vexir", argc, argv, arguments))
        return VexirTool::kUsage;
    return VexirTool::RunTool(arguments);
}
