#include <Vexir/Console.h>
#include <Vexir/Utf8Util.h>

int main()
{
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    if (!consoles || !consoles->GetConsole(Vexir::IMgrConsole::Stdout))
        return 1;
    consoles->PrintInfo("host linked: %s\n", utf8util::Utf16ToUtf8(L"ok").c_str());
    return 0;
}
