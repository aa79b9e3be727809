// The tour's stop for the window console: shown for a few seconds when there
// is a display; otherwise the console's own warning says why not.
#include <Vexir/Console.h>

#include <cstdio>

#include "Tour.h"
#include "WindowPause.h"

namespace VexirTool {

void TourWindow(Vexir::IMgrConsole* consoles)
{
    using Vexir::IConsole;
    Heading("Console: the window console");
    consoles->SetUIConsoleByType(Vexir::IMgrConsole::Windows);
    if (!consoles->ShowUIConsole(nullptr, 0)) {
        std::printf("The window console cannot be shown here (the warning above says why).\n");
        return;
    }
    consoles->SetUIConsoleTitle("Vexir tour");
    consoles->SetVerbosity(IConsole::Debug);
    consoles->PrintError("an error line is bold red\n");
    consoles->PrintWarning("a warning line is bold purple\n");
    consoles->BeginBlock(IConsole::Info, "a block of info lines, indented");
    consoles->PrintInfo("info is bold black\n");
    consoles->PrintVerbose("verbose is plain black\n");
    consoles->PrintDebug("debug is grey\n");
    consoles->EndBlock(IConsole::Info, "end of the block");
    std::printf("The window console is open for 4 seconds, centred on the screen.\n");
    PauseWithWindows(4000);
    consoles->CloseUIConsole();
    consoles->SetVerbosity(IConsole::Info);
}

}  // namespace VexirTool
