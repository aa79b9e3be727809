// The program's sockets: one connection per client, the listening socket, and
// the manager that says, in one line on standard error, why a client was
// dropped. Limits keep the program bounded whatever its clients send: at most
// kMostClients at once, messages of at most 1 MiB, and a client whose
// unfinished message makes no progress for the stall time is dropped.
#pragma once

#include <Vexir/Network/Sockets.h>

#include <string>

#include "Display.h"
#include "RecordReader.h"

namespace RemoteConsole {

const int kMostClients = 256;

class ListenSocket;

class ClientManager : public Vexir::Network::MgrSocketBase {
public:
    explicit ClientManager(int stallSeconds) : _iStallMilliseconds(stallSeconds * 1000) {}

    void SetListener(ListenSocket* listener) { _pListener = listener; }
    int ClientCount() const { return static_cast<int>(GetSocketCount()) - (_pListener ? 1 : 0); }
    int StallMilliseconds() const { return _iStallMilliseconds; }
    void OnSocketClosing(Vexir::Network::NetSocket* socket) override;

private:
    ListenSocket* _pListener = nullptr;
    int _iStallMilliseconds;
};

class ClientSocket : public Vexir::Network::NetSocket {
public:
    ClientSocket(Vexir::Network::SocketHandle socket, unsigned int peer, ClientManager* manager, Display& display);
    ~ClientSocket() override;

    void HandleInput() override;
    void TimeOut() override;
    // "client 3 from 127.0.0.1"
    std::string Name() const;
    // Why it is being closed; empty when it left between messages.
    std::string DropReason() const;

private:
    ClientManager& Manager() { return *static_cast<ClientManager*>(_pManager); }
    void Drop(const std::string& reason);

    Display& _display;
    RecordReader _reader;
    std::string _sReason;
    bool _bEnded = false;  // the connection ended or failed in a receive
};

class ListenSocket : public Vexir::Network::NetListenSocket {
public:
    ListenSocket(ClientManager& manager, Display& display);
    ~ListenSocket() override;

    // Readable means a client is waiting.
    void HandleInput() override;
    // After a failed accept the socket sits out the passes (so that a lasting
    // failure, such as running out of descriptors, does not spin) until a
    // client leaves or the pause is over.
    void Resume();
    void ResumeWhenDue();
    bool Paused() const { return _hPaused != Vexir::Network::kInvalidSocket; }
    int Accepted() const { return _iAccepted; }

private:
    ClientManager& _manager;
    Display& _display;
    Vexir::Network::SocketHandle _hPaused = Vexir::Network::kInvalidSocket;
    unsigned long long _uResumeAt = 0;
    bool _bPauseReported = false;
    int _iAccepted = 0;
};

}  // namespace RemoteConsole
