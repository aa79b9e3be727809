// Logging: every message goes to each console the host opened (here the
// standard output, a log file and the RemoteConsole program), and blocks
// indent what happens inside them.
#include <Vexir/Console.h>

#include <cstdio>

int main()
{
    using Vexir::IConsole;
    using Vexir::IMgrConsole;
    using Vexir::InterfaceBase;

    IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->SetVerbosity(IConsole::Verbose);

    // Asking for a console opens it.
    consoles->GetConsole(IMgrConsole::Stdout);
    auto* file = static_cast<Vexir::IFileConsoleInterface*>(
        consoles->GetConsole(IMgrConsole::File)->GetInterface(InterfaceBase::File));
    file->SetDirectory(".");
    file->SetFileName("Logging.log");  // written at the first message shown

    // The RemoteConsole program, when one listens on this machine; logging
    // never waits for it either way.
    auto* remote = static_cast<Vexir::IRemoteConsoleInterface*>(
        consoles->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
    if (!remote->ConnectLocal())
        consoles->PrintWarning("no RemoteConsole is listening on port 7500: run one to see these lines there\n");

    {
        Vexir::AutoConsoleBlock scene(consoles, IConsole::Info, "Loading scene ", "scene loaded");
        consoles->PrintInfo("camera at (%.1f, %.1f, %.1f)\n", 0.0, 1.8, -5.0);
        {
            Vexir::AutoConsoleBlock meshes(consoles, IConsole::Info, "Meshes ", "2 meshes");
            consoles->PrintVerbose("teapot: %d triangles\n", 6320);
            consoles->PrintVerbose("floor: %d triangles\n", 2);
        }
        consoles->PrintWarning("no sky texture given: a grey sky is used\n");
    }
    consoles->PrintInfo("the log file is ./Logging.log\n");
    return 0;
}
