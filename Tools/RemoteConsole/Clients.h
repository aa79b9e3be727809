// The program's sockets: one connection per client, the listening socket, and
// the manager that says, in one line on standard error, why a client was
// dropped. Limits keep the program bounded whatever its clients send: at most
// kMostClients at once, messages of at most 1 MiB, and a client whose
// unfinished message makes no progress for the stall time is dropped.
//
// When every slot is taken, a newcomer gets the slot of the client that has
// sent nothing for longest, if that is at least the idle time; otherwise the
// newcomer is refused. Refusals are told at most once a second, with the
// count of those not told.
#pragma once

#include <Vexir/Network/Sockets.h>

#include <string>

#include "Display.h"
#include "RecordReader.h"
#include "StreamWriter.h"

namespace RemoteConsole {

const int kMostClients = 256;

class ClientSocket;
class ListenSocket;

class ClientManager : public Vexir::Network::MgrSocketBase {
public:
    ClientManager(int stallSeconds, int idleSeconds, StreamWriter& notices, Display& display)
        : _iStallMilliseconds(stallSeconds * 1000), _iIdleMilliseconds(idleSeconds * 1000), _notices(notices),
          _display(display)
    {
    }
    // Its clients go before the display and the notices they tell.
    ~ClientManager() override { Shutdown(); }

    void SetListener(ListenSocket* listener) { _pListener = listener; }
    int ClientCount() const { return static_cast<int>(GetSocketCount()) - (_pListener ? 1 : 0); }
    int StallMilliseconds() const { return _iStallMilliseconds; }
    int IdleMilliseconds() const { return _iIdleMilliseconds; }
    void OnSocketClosing(Vexir::Network::NetSocket* socket) override;

    // One line on standard error.
    void Notice(const std::string& line);
    Display& View() { return _display; }
    // The client, not yet leaving, that has sent nothing for longest; null
    // when there is none.
    ClientSocket* IdlestClient();
    // Says that a newcomer was refused, at most once a second.
    void Refused(unsigned int peer);

private:
    ListenSocket* _pListener = nullptr;
    int _iStallMilliseconds;
    int _iIdleMilliseconds;
    StreamWriter& _notices;
    Display& _display;
    unsigned long long _uLastRefusalTold = 0;
    unsigned long long _uRefusalsNotTold = 0;
};

class ClientSocket : public Vexir::Network::NetSocket {
public:
    ClientSocket(Vexir::Network::SocketHandle socket, unsigned int peer, ClientManager* manager);
    ~ClientSocket() override;

    void HandleInput() override;
    void TimeOut() override;
    // "client 3 from 127.0.0.1"
    std::string Name() const;
    unsigned int Peer() const { return _uPeerAddress; }
    // Why it is being closed; empty when it left between messages.
    std::string DropReason() const;
    void Drop(const std::string& reason);
    // Milliseconds since it last sent anything (or connected).
    unsigned long long IdleMilliseconds() const;

private:
    ClientManager& Manager() { return *static_cast<ClientManager*>(_pManager); }

    RecordReader _reader;
    std::string _sReason;
    unsigned long long _uLastHeard;
};

class ListenSocket : public Vexir::Network::NetListenSocket {
public:
    explicit ListenSocket(ClientManager& manager);
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
    // Room for one more client: true when a slot is free or was freed.
    bool MakeRoom();

    ClientManager& _manager;
    Vexir::Network::SocketHandle _hPaused = Vexir::Network::kInvalidSocket;
    unsigned long long _uResumeAt = 0;
    unsigned long long _uPauseReportedAt = 0;  // 0: not reported yet
    int _iPausesUnreported = 0;
    bool _bInPause = false;  // no client taken since accepting last failed
    int _iAccepted = 0;
};

// Milliseconds of a clock that only moves forward.
unsigned long long Milliseconds();

}  // namespace RemoteConsole
