// Windows hands a program its arguments in UTF-16; a log's name outside the
// ANSI code page would not survive the narrow form.
#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Settings.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    try {
        for (int i = 0; i < argc; ++i)
            arguments.push_back(utf8util::Utf16ToUtf8(argv[i]));
    } catch (const utf8util::utf8_conversion_error&) {
        std::fprintf(stderr, "RemoteConsole: an argument is not valid UTF-16 (an unpaired surrogate)\n");
        return RemoteConsole::kUsage;
    }
    return RemoteConsole::RunProgram(arguments);
}
