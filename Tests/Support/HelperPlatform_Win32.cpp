#include "HelperPlatform.h"

#include <windows.h>

#include <Vexir/Console.h>
#include <Vexir/Utf8Util.h>

#include <fstream>
#include <string>

int ShowOnConsole(const char* resultPath)
{
    // A code page that cannot show most of the text, as consoles have.
    SetConsoleOutputCP(437);
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->GetConsole(Vexir::IMgrConsole::Stdout);
    consoles->PrintInfo("Gr\xC3\xBC\xC3\x9F" "e, \xE6\x9D\xB1\xE4\xBA\xAC \xE2\x9C\x93\n");

    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info))
        return 3;
    std::wstring shown;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(console, &line[0], static_cast<DWORD>(line.size()), COORD{0, row}, &read);
        line.resize(read);
        shown += line + L"\n";
    }
    std::ofstream(resultPath, std::ios::binary) << utf8util::Utf16ToUtf8(shown);
    return 0;
}
int CountNamedObjectDescriptors() { return 0; }
