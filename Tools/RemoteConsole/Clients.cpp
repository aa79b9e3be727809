#include "Clients.h"

#include <chrono>
#include <cstdio>

namespace RemoteConsole {

using namespace Vexir::Network;

namespace {

const int kAcceptPauseMilliseconds = 1000;

unsigned long long Milliseconds()
{
    return static_cast<unsigned long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

std::string DottedAddress(unsigned int address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string SocketErrorText(int code)
{
    switch (code) {
    case 10024: return "socket error 10024: too many open files";
    case 10055: return "socket error 10055: no buffer space";
    default: return "socket error " + std::to_string(code);
    }
}

void Notice(const std::string& line) { std::fprintf(stderr, "RemoteConsole: %s\n", line.c_str()); }

}  // namespace

void ClientManager::OnSocketClosing(NetSocket* socket)
{
    if (socket == static_cast<NetSocket*>(_pListener))
        return;
    auto* client = static_cast<ClientSocket*>(socket);
    const std::string reason = client->DropReason();
    if (!reason.empty())
        Notice("dropped " + client->Name() + ": " + reason);
    if (_pListener)
        _pListener->Resume();
}

ClientSocket::ClientSocket(SocketHandle socket, unsigned int peer, ClientManager* manager, Display& display)
    : NetSocket(socket, peer, manager, true), _display(display)
{
}

ClientSocket::~ClientSocket() { _display.Forget(GetID()); }

std::string ClientSocket::Name() const { return "client " + std::to_string(GetID()) + " from " + DottedAddress(_uPeerAddress); }

void ClientSocket::Drop(const std::string& reason)
{
    if (_sReason.empty())
        _sReason = reason;
    SetState(Closing);
}

std::string ClientSocket::DropReason() const
{
    if (!_sReason.empty())
        return _sReason;
    const bool midMessage = _reader.InMessage() || _uHeld > 0;
    switch (GetCloseCause()) {
    case FrameRefused: {
        const unsigned char* head = _aReceiveBuffer + _uReadOffset;
        const unsigned long length = static_cast<unsigned long>(head[0]) << 24 | head[1] << 16 | head[2] << 8 | head[3];
        return "a frame of " + std::to_string(length) + " bytes (frames are 4 to 256 bytes long)";
    }
    case PeerClosed: return midMessage ? "the connection ended in the middle of a message" : std::string();
    case ReceiveFailed: return "its connection was reset";
    case SendFailed: return "sending to it failed";
    case SocketException: return "its connection reported an exception";
    default: return "closed";
    }
}

void ClientSocket::HandleInput()
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
            Drop(error);
            return;
        }
    }
    // An unfinished message must keep moving; a client between messages may
    // stay quiet as long as it likes.
    if (_reader.InMessage() || _uHeld > 0)
        SetTimeOut(Manager().StallMilliseconds());
    else
        _uDeadline = 0;
}

void ClientSocket::TimeOut()
{
    NetSocket::TimeOut();
    Drop("its unfinished message made no progress for " + std::to_string(Manager().StallMilliseconds() / 1000) +
         " s");
}

ListenSocket::ListenSocket(ClientManager& manager, Display& display) : _manager(manager), _display(display)
{
    SetMgrSocketBase(&manager);
}

ListenSocket::~ListenSocket() { Resume(); }

void ListenSocket::HandleInput()
{
    unsigned int peer = 0;
    const SocketHandle accepted = AcceptConnection(&peer);
    if (accepted == kInvalidSocket) {
        const int error = GetLastSocketError();
        // Would-block, interrupted, and a client that gave up before it was
        // taken: nothing is wrong with accepting itself.
        if (error == 10035 || error == 10004 || error == 10053 || error == 10054 || error == 10057)
            return;
        if (!_bPauseReported)
            Notice("cannot accept clients now (" + SocketErrorText(error) +
                   "); trying again when a client leaves, at least once a second");
        _bPauseReported = true;
        _hPaused = _hSocket;
        _hSocket = kInvalidSocket;
        _uResumeAt = Milliseconds() + kAcceptPauseMilliseconds;
        return;
    }
    _bPauseReported = false;
    if (_manager.ClientCount() >= kMostClients) {
        NetSocket refused(accepted, peer, nullptr, true);  // closes it
        Notice("refused a client from " + DottedAddress(peer) + ": " + std::to_string(kMostClients) +
               " clients are connected already");
        return;
    }
    _manager.AddSocket(new ClientSocket(accepted, peer, &_manager, _display));
    ++_iAccepted;
}

void ListenSocket::Resume()
{
    if (Paused()) {
        _hSocket = _hPaused;
        _hPaused = kInvalidSocket;
    }
}

void ListenSocket::ResumeWhenDue()
{
    if (Paused() && Milliseconds() >= _uResumeAt)
        Resume();
}

}  // namespace RemoteConsole
