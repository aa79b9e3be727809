// The tour's stop for the remote console: start the RemoteConsole program with a
// log, send it messages over TCP, let it go, and show that its log holds them.
#include <Vexir/Console.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "Tour.h"

namespace VexirTool {

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The RemoteConsole program beside this tool.
std::string RemoteConsoleProgram(const std::filesystem::path& self)
{
    std::filesystem::path program = self.parent_path() / "RemoteConsole";
    if (!std::filesystem::exists(program))
        program += ".exe";
    return program.string();
}

}  // namespace

void TourRemote(Vexir::IMgrConsole* consoles, const std::string& tool, const std::filesystem::path& folder)
{
    Heading("Remote console: messages over TCP to the RemoteConsole program");
    const std::string program = RemoteConsoleProgram(std::filesystem::absolute(tool));
    const std::filesystem::path log = folder / "remote.log";
    const std::string command = Quoted(program) + " --once --log " + Quoted(log.string());
    std::thread runner([command] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "the RemoteConsole program did not end cleanly\n");
    });

    auto* remote = static_cast<Vexir::IRemoteConsoleInterface*>(
        consoles->GetConsole(Vexir::IMgrConsole::Remote)->GetInterface(Vexir::InterfaceBase::Remote));
    bool connected = false;
    for (int attempt = 0; attempt < 200 && !connected; ++attempt) {
        connected = remote->ConnectLocal();
        if (!connected)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (connected) {
        consoles->PrintInfo("this line also travels to the RemoteConsole program on port 7500\n");
        {
            Vexir::AutoConsoleBlock block(consoles, Vexir::IConsole::Info, "a block", "block done");
            consoles->PrintWarning("nested, and shown indented by the program\n");
        }
    } else {
        consoles->PrintError("the RemoteConsole program never listened\n");
    }
    consoles->DestroyConsole(Vexir::IMgrConsole::Remote);
    runner.join();
    std::ifstream file(log, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    std::printf("the program's log %s holds:\n%s", log.string().c_str(), text.str().c_str());
}

}  // namespace VexirTool
