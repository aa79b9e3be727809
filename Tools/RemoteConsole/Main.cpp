// RemoteConsole: the receiver of the library's remote console. It listens on
// 127.0.0.1:7500 (or --listen ADDRESS:PORT), takes up to 256 clients at once,
// reassembles each message from its records and shows it with its level mark,
// the client's block indentation and, on a terminal, a colour per level. With
// --log FILE every message is also appended to FILE, flushed per message.
// Whatever a client sends, the program stays up and bounded: see --help for the
// limits. Each dropped client gets one line on standard error saying why.
// Standard output and standard error are written from threads of their own, so
// that a reader that stops reading holds nothing up. SIGINT or SIGTERM (or
// Ctrl+C) end the program within a second. --once ends it when its first
// clients have left (or, with --wait, when none came within that many seconds).
#include <Vexir/Assert.h>
#include <Vexir/Network/Sockets.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Clients.h"
#include "Display.h"
#include "Platform.h"
#include "Settings.h"
#include "StreamWriter.h"

namespace {

using namespace RemoteConsole;

// The library's checks are reported on standard error and never wait for an
// answer: nobody may be at the keyboard of a program that serves others.
class ReportingAssertHandler : public Vexir::IAssertHandler {
public:
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override
    {
        std::fprintf(stderr, "RemoteConsole: internal check failed: %s (%s, %s line %d)\n", message ? message : "",
                     expression ? expression : "", file ? file : "", line);
        return Vexir::Ignore;
    }
};

std::string Where(const Settings& settings) { return DottedAddress(settings.address) + ":" + std::to_string(settings.port); }

// Why the listening socket could not be made, as the user would put it.
std::string ListenFailure(const Settings& settings, int error)
{
    switch (error) {
    case 10048: return "port " + std::to_string(settings.port) + " is in use";
    case 10049: return "cannot listen on " + Where(settings) + ": the address is not one of this machine's";
    case 10013: return "cannot listen on " + Where(settings) + ": permission denied";
    default: return "cannot listen on " + Where(settings) + " (socket error " + std::to_string(error) + ")";
    }
}

}  // namespace

namespace RemoteConsole {

namespace {

int Serve(const std::vector<std::string>& arguments)
{
    static ReportingAssertHandler reporting;
    Vexir::SetActiveAssertHandler(&reporting);

    Settings settings;
    const int done = ParseSettings(arguments, settings);
    if (done >= 0)
        return done;
    std::FILE* log = nullptr;
    if (!settings.logPath.empty() && !(log = OpenForAppending(settings.logPath))) {
        std::fprintf(stderr, "RemoteConsole: cannot open %s: %s\n", settings.logPath.c_str(), std::strerror(errno));
        return kFailed;
    }
    volatile bool stop = false;
    InstallStopHandlers(&stop);

    // Neither stream can hold the program up (see StreamWriter).
    StreamWriter view(stdout, 4u << 20,
                      std::string("RemoteConsole: %llu lines were not shown: the output was not taking them") +
                          (log ? " (the log has every line)\n" : "\n"));
    StreamWriter notices(stderr, 256u << 10,
                         "RemoteConsole: %llu lines were not written here: standard error was not taking them\n");
    Display display(view, log, IsTerminal(stdout));
    ClientManager manager(settings.stallSeconds, settings.idleSeconds, notices, display);
    if (!manager.Init())
        return kFailed;
    auto* listener = new ListenSocket(manager);
    {
        // A failure is told below in the user's terms, not as a failed check.
        Vexir::AssertHandler_Null quiet;
        Vexir::SetActiveAssertHandler(&quiet);
        listener->Init(settings.address, settings.port);
        Vexir::SetActiveAssertHandler(&reporting);
    }
    if (listener->GetPort() == 0) {
        const int error = Vexir::Network::GetLastSocketError();
        delete listener;
        std::fprintf(stderr, "RemoteConsole: %s\n", ListenFailure(settings, error).c_str());
        return kFailed;
    }
    manager.AddSocket(listener);
    manager.SetListener(listener);
    manager.Notice("listening on port " + std::to_string(listener->GetPort()));
    TellLauncherListening();

    const auto started = std::chrono::steady_clock::now();
    while (!stop) {
        listener->ResumeWhenDue();
        if (listener->Paused() && manager.ClientCount() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));  // nothing to wait on
        else
            manager.DoSelect(0, 100000, 1);
        if (settings.once && listener->Accepted() > 0 && manager.ClientCount() == 0)
            break;
        const bool waitedEnough = settings.waitSeconds > 0 &&
                                  std::chrono::steady_clock::now() - started > std::chrono::seconds(settings.waitSeconds);
        if (settings.once && listener->Accepted() == 0 && waitedEnough)
            break;
    }
    manager.Shutdown();
    if (log)
        std::fclose(log);
    // A stream nobody reads keeps what it holds: the program ends all the same.
    const int status = view.Failed() ? kFailed : kSucceeded;
    if (view.Failed())
        notices.Write("RemoteConsole: the output could not be written\n");
    view.Finish(400);
    notices.Finish(400);
    return status;
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments)
{
    // No exception ends the program unexplained.
    int status;
    try {
        status = Serve(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "RemoteConsole: %s\n", error.what());
        status = kFailed;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "RemoteConsole: the output could not be written\n");
        return status == kSucceeded ? kFailed : status;
    }
    return status;
}

}  // namespace RemoteConsole
