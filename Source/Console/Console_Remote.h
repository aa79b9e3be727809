// Console_Remote: sends every message, whatever the threshold, to the
// RemoteConsole program over TCP port 7500: a header record and the text in
// chunks of at most 224 bytes, each record in its own BinaryPacket, then one
// zero-time pass of its socket manager. Messages are dropped while it is not
// connected. Runs under the manager's lock.
#pragma once

#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>

#include "Console/RemoteLaunch.h"

namespace Vexir {

// The socket manager of the remote console: one connection to the program.
class RemoteConsoleClient : public Network::MgrSocketBase {
public:
    static const unsigned kPort = 7500;

    explicit RemoteConsoleClient(unsigned int address) : _uAddress(address), _uPort(kPort) {}
    ~RemoteConsoleClient() override = default;

    // The id of the connected socket, or -1.
    int ConnectSocket();
    bool HasPendingOutput();

private:
    unsigned int _uAddress;
    unsigned int _uPort;
};

class Console_Remote : public IConsole {
public:
    explicit Console_Remote(IMgrConsole* manager);
    ~Console_Remote() override;
    Console_Remote(const Console_Remote&) = delete;
    Console_Remote& operator=(const Console_Remote&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    class RemoteInterface : public IRemoteConsoleInterface {
    public:
        explicit RemoteInterface(Console_Remote* console) : _pConsole(console) {}
        int GetInterfaceType() override { return Remote; }
        bool LaunchRemoteConsole() override { return LaunchRemoteConsoleProgram(_pConsole->_process); }
        bool ConnectLocal() override { return Connect("127.0.0.1"); }
        bool ReservedQuery() override { return false; }
        bool Connect(const std::string& address) override { return _pConsole->Connect(address); }
        void ReservedAction() override {}

    private:
        Console_Remote* _pConsole;
    };

    bool Connect(const std::string& address);
    void Disconnect();
    bool SendRecord(const char* bytes, std::size_t size);

    IMgrConsole* _pManager;
    RemoteInterface* _pRemoteInterface;
    RemoteConsoleClient* _pClient;
    int _iSocketId;
    LaunchedProcess _process;
};

}  // namespace Vexir
