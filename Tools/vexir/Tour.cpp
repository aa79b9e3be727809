// `vexir tour`: a walk through the library, one stop per subsystem.
#include <Vexir/Console.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "Command.h"
#include "Tour.h"

namespace VexirTool {

void Heading(const char* title) { std::printf("\n== %s ==\n", title); }

namespace {

// Every message of the tour also goes to an HTML log in the temporary folder.
std::string StartHtmlLog(Vexir::IMgrConsole* consoles)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    auto* log = static_cast<Vexir::IFileConsoleInterface*>(
        consoles->GetConsole(Vexir::IMgrConsole::File)->GetInterface(Vexir::InterfaceBase::File));
    log->SetDirectory(folder.generic_u8string());
    log->SetFileName("VexirTour.html");
    log->SetFormat(Vexir::IFileConsoleInterface::Html);
    log->SetTitle("Vexir tour");
    return (folder / "VexirTour.html").generic_u8string();
}

}  // namespace

int RunTour(const Arguments&)
{
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->GetConsole(Vexir::IMgrConsole::Stdout);
    const std::string logPath = StartHtmlLog(consoles);
    std::printf("The tour's messages also go to the HTML log %s\n", logPath.c_str());
    TourConsole(consoles);
    TourAssets(consoles);
    TourGeometry(consoles);
    TourColourAndSun(consoles);
    TourRemote(consoles, ToolPath());
    consoles->DestroyConsole(Vexir::IMgrConsole::File);
    std::printf("\nEnd of the tour. Its HTML log: %s\n", logPath.c_str());
    return 0;
}

}  // namespace VexirTool
