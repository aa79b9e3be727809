// `vexir tour`: a walk through the library, one stop per subsystem.
#include <Vexir/Console.h>
#include <Vexir/SystemInfo.h>

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <filesystem>
#include <string>

#include "Command.h"
#include "Tour.h"

namespace VexirTool {

void Heading(const char* title) { std::printf("\n== %s ==\n", title); }

namespace {

// A folder of the tour's own, new for this run, so that nothing it writes or
// removes can be somebody else's.
std::filesystem::path MakeTourFolder()
{
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    const auto stamp = static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder = temporary / ("vexir-tour-" + std::to_string(stamp + attempt));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error))
            return folder;
    }
    throw std::runtime_error("cannot make a folder for the tour in " + temporary.u8string());
}

// Every message of the tour also goes to an HTML log in the tour's folder.
std::string StartHtmlLog(Vexir::IMgrConsole* consoles, const std::filesystem::path& folder)
{
    auto* log = static_cast<Vexir::IFileConsoleInterface*>(
        consoles->GetConsole(Vexir::IMgrConsole::File)->GetInterface(Vexir::InterfaceBase::File));
    log->SetDirectory(folder.generic_u8string());
    log->SetFileName("VexirTour.html");
    log->SetFormat(Vexir::IFileConsoleInterface::Html);
    log->SetTitle("Vexir tour");
    return (folder / "VexirTour.html").generic_u8string();
}

int Run()
{
    const std::filesystem::path folder = MakeTourFolder();
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->GetConsole(Vexir::IMgrConsole::Stdout);
    const std::string logPath = StartHtmlLog(consoles, folder);
    std::printf("The tour's messages also go to the HTML log %s\n", logPath.c_str());
    // Every stop is also a line of the memory-usage log.
    Vexir::MemoryUsageLogEnable();
    int stop = 0;
    Vexir::MemoryUsageLog("start", stop++);
    TourConsole(consoles);
    Vexir::MemoryUsageLog("console", stop++);
    TourWindow(consoles);
    Vexir::MemoryUsageLog("window console", stop++);
    TourAssets(consoles, folder);
    Vexir::MemoryUsageLog("assets", stop++);
    TourGeometry(consoles);
    Vexir::MemoryUsageLog("geometry", stop++);
    TourColourAndSun(consoles);
    Vexir::MemoryUsageLog("colour and sun", stop++);
    TourRemote(consoles, ToolPath(), folder);
    Vexir::MemoryUsageLog("remote console", stop++);
    const std::string csv = (folder / "memory-usage.csv").generic_u8string();
    Heading("Memory: the usage at each stop of the tour");
    if (Vexir::MemoryUsageLogDumpCSV(csv.c_str()))
        std::printf("written to %s\n", csv.c_str());
    consoles->DestroyConsole(Vexir::IMgrConsole::File);
    std::printf("\nEnd of the tour. Its HTML log: %s\n", logPath.c_str());
    return kSucceeded;
}

}  // namespace

void AddTour(CLI::App& tool, int& status)
{
    CLI::App* tour = tool.add_subcommand("tour", "walk through what the library can do");
    tour->footer("Walks through the library's subsystems, printing what each one does. It never waits for input:\n"
                 "the failed assertion it shows is answered by a handler the tour installs. It writes into a new\n"
                 "folder of its own under the system's temporary folder, where its HTML log, memory-usage CSV and\n"
                 "remote-console log stay.");
    tour->callback([&status] { status = Run(); });
}

}  // namespace VexirTool
