// RemoteConsole: the receiver of the library's remote console. It listens on
// 127.0.0.1:7500 (or --listen ADDRESS:PORT), takes any number of clients,
// reassembles each message from its records and shows it with its level mark,
// the client's block indentation and, on a terminal, a colour per level. With
// --log FILE every message is also appended to FILE, flushed per message.
// A malformed client is dropped with a one-line notice; SIGINT or SIGTERM (or
// Ctrl+C) end the program. --once ends it when its first clients have left (or,
// with --wait, when none came within that many seconds).
#include <Vexir/Network/Sockets.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "Platform.h"
#include "RecordReader.h"

namespace {

using namespace Vexir::Network;

struct Settings {
    unsigned int address = 0x7F000001;  // 127.0.0.1
    unsigned short port = 7500;
    std::string logPath;
    bool once = false;
    int waitSeconds = 0;  // with --once: give up when no client came in that time
};

const char* const kMarks[] = {"[S]", "[E]", "[W]", "[I]", "[V]", "[D]"};
const char* const kColours[] = {"\033[37m", "\033[31m", "\033[35m", "\033[32m", "\033[36m", "\033[90m"};

class Display {
public:
    Display(std::FILE* log, bool colour) : _pLog(log), _bColour(colour) {}

    void Show(int client, const RemoteConsole::Message& message)
    {
        int& depth = _mDepths[client];
        const bool known = message.level >= 0 && message.level <= 5;
        const char* mark = known ? kMarks[message.level] : "[?]";
        // A block's closing line stands at the depth of its content.
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        if (message.kind == 1)
            ++depth;
        else if (message.kind == 2 && depth > 0)
            --depth;
        const std::string line = indent + mark + " " + message.text + "\n";
        if (_bColour && known)
            std::printf("%s%s\033[0m", kColours[message.level], line.c_str());
        else
            std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        if (_pLog) {
            std::fwrite(line.data(), 1, line.size(), _pLog);
            std::fflush(_pLog);
        }
    }

    void Forget(int client) { _mDepths.erase(client); }

private:
    std::FILE* _pLog;
    bool _bColour;
    std::map<int, int> _mDepths;
};

class ClientSocket : public NetSocket {
public:
    ClientSocket(SocketHandle socket, unsigned int peer, MgrSocketBase* manager, Display& display)
        : NetSocket(socket, peer, manager, true), _display(display)
    {
    }
    ~ClientSocket() override { _display.Forget(GetID()); }

    void HandleInput() override
    {
        NetSocket::HandleInput();
        while (!_lInList.empty()) {
            IPacket* packet = _lInList.front();
            _lInList.pop_front();
            std::string error;
            const auto message = _reader.Feed(packet->GetData() + 4, packet->GetSize() - 4, error);
            delete packet;
            if (message)
                _display.Show(GetID(), *message);
            if (!error.empty()) {
                std::fprintf(stderr, "RemoteConsole: dropped client %d: %s\n", GetID(), error.c_str());
                SetState(Closing);
                return;
            }
        }
    }

private:
    Display& _display;
    RemoteConsole::RecordReader _reader;
};

class ListenSocket : public NetListenSocket {
public:
    explicit ListenSocket(Display& display) : _display(display) {}

    // Readable means a client is waiting.
    void HandleInput() override
    {
        unsigned int peer = 0;
        const SocketHandle accepted = AcceptConnection(&peer);
        if (accepted == kInvalidSocket || !_pManager)
            return;
        _pManager->AddSocket(new ClientSocket(accepted, peer, _pManager, _display));
        ++accepted_;
    }
    int accepted_ = 0;

private:
    Display& _display;
};

bool ParseListen(const std::string& text, Settings& settings)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    const unsigned int address = ParseIPv4Address(text.substr(0, colon));
    char* end = nullptr;
    const long port = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (address == 0xFFFFFFFFu || *end != '\0' || port < 1 || port > 65535)
        return false;
    settings.address = address;
    settings.port = static_cast<unsigned short>(port);
    return true;
}

bool ParseSettings(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--listen" && i + 1 < argc) {
            if (!ParseListen(argv[++i], settings))
                return false;
        } else if (argument == "--log" && i + 1 < argc) {
            settings.logPath = argv[++i];
        } else if (argument == "--once") {
            settings.once = true;
        } else if (argument == "--wait" && i + 1 < argc) {
            settings.waitSeconds = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseSettings(argc, argv, settings)) {
        std::fprintf(stderr, "usage: RemoteConsole [--listen ADDRESS:PORT] [--log FILE] [--once [--wait SECONDS]]\n");
        return 2;
    }
    std::FILE* log = nullptr;
    if (!settings.logPath.empty() && !(log = std::fopen(settings.logPath.c_str(), "ab"))) {
        std::fprintf(stderr, "RemoteConsole: cannot open %s\n", settings.logPath.c_str());
        return 1;
    }
    volatile bool stop = false;
    RemoteConsole::InstallStopHandlers(&stop);

    Display display(log, RemoteConsole::IsTerminal(stdout));
    MgrSocketBase manager;
    if (!manager.Init())
        return 1;
    auto* listener = new ListenSocket(display);
    listener->SetMgrSocketBase(&manager);
    listener->Init(settings.address, settings.port);
    if (listener->GetPort() == 0) {
        delete listener;
        std::fprintf(stderr, "RemoteConsole: cannot listen on port %u\n", settings.port);
        return 1;
    }
    manager.AddSocket(listener);
    std::fprintf(stderr, "RemoteConsole: listening on port %u\n", listener->GetPort());

    const auto started = std::chrono::steady_clock::now();
    while (!stop) {
        manager.DoSelect(0, 100000, 1);
        if (settings.once && listener->accepted_ > 0 && manager.GetSocketCount() == 1)
            break;
        const bool waitedEnough = settings.waitSeconds > 0 &&
                                  std::chrono::steady_clock::now() - started > std::chrono::seconds(settings.waitSeconds);
        if (settings.once && listener->accepted_ == 0 && waitedEnough)
            break;
    }
    manager.Shutdown();
    if (log)
        std::fclose(log);
    return 0;
}
