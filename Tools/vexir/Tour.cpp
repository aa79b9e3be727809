// `vexir tour`: a walk through the library, one stop per subsystem.
#include <Vexir/Console.h>
#include <Vexir/SystemInfo.h>

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
    // Every stop is also a line of the memory-usage log.
    Vexir::MemoryUsageLogEnable();
    int stop = 0;
    Vexir::MemoryUsageLog("start", stop++);
    TourConsole(consoles);
    Vexir::MemoryUsageLog("console", stop++);
    TourAssets(consoles);
    Vexir::MemoryUsageLog("assets", stop++);
    TourGeometry(consoles);
    Vexir::MemoryUsageLog("geometry", stop++);
    TourColourAndSun(consoles);
    Vexir::MemoryUsageLog("colour and sun", stop++);
    TourRemote(consoles, ToolPath());
    Vexir::MemoryUsageLog("remote console", stop++);
    const std::string csv = (std::filesystem::temp_directory_path() / "VexirTourMemory.csv").generic_u8string();
    Heading("Memory: the usage at each stop of the tour");
    if (Vexir::MemoryUsageLogDumpCSV(csv.c_str()))
        std::printf("written to %s\n", csv.c_str());
    consoles->DestroyConsole(Vexir::IMgrConsole::File);
    std::printf("\nEnd of the tour. Its HTML log: %s\n", logPath.c_str());
    return 0;
}

}  // namespace VexirTool
