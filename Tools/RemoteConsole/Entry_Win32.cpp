#include <string>
#include <vector>

#include "Settings.h"
#include "Utf8Arguments_Win32.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    if (!VexirTools::Utf8Arguments("RemoteConsole", argc, argv, arguments))
        return RemoteConsole::kUsage;
    return RemoteConsole::RunProgram(arguments);
}
