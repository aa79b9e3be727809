#include "Clients.h"

#include <chrono>

namespace RemoteConsole {

using namespace Vexir::Network;

namespace {

const int kAcceptPauseMilliseconds = 1000;
const unsigned long long kRefusalNoticeMilliseconds = 1000;
// A program short of descriptors often runs out again after each client it
// could take; saying so once a minute, with a count, keeps the log readable.
const unsigned long long kPauseNoticeMilliseconds = 60000;

std::string SocketErrorText(int code)
{
    switch (code) {
    case 10024: return "socket error 10024: too many open files";
    case 10055: return "socket error 10055: no buffer space";
    default: return "socket error " + std::to_string(code);
    }
}

}  // namespace

unsigned long long Milliseconds()
{
    return static_cast<unsigned long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void ClientManager::Notice(const std::string& line) { _notices.Write("RemoteConsole: " + line + "\n"); }

void ClientManager::OnSocketClosing(NetSocket* socket)
{
    if (socket == static_cast<NetSocket*>(_pListener))
        return;
    auto* client = static_cast<ClientSocket*>(socket);
    const std::string reason = client->DropReason();
    if (!reason.empty())
        Notice("dropped " + client->Name() + ": " + reason);
    _display.Left(client->GetID(), reason.empty() ? "left" : "dropped: " + reason);
    if (_pListener)
        _pListener->Resume();
}

ClientSocket* ClientManager::IdlestClient()
{
    ClientSocket* idlest = nullptr;
    for (NetSocket* socket : _lSockets) {
        if (socket == static_cast<NetSocket*>(_pListener) || (socket->GetState() & NetSocket::Closing) != 0)
            continue;
        auto* client = static_cast<ClientSocket*>(socket);
        if (!idlest || client->IdleMilliseconds() > idlest->IdleMilliseconds())
            idlest = client;
    }
    return idlest;
}

void ClientManager::Refused(unsigned int peer)
{
    const unsigned long long now = Milliseconds();
    if (_uLastRefusalTold != 0 && now - _uLastRefusalTold < kRefusalNoticeMilliseconds) {
        ++_uRefusalsNotTold;
        return;
    }
    std::string line = "refused a client from " + DottedAddress(peer) + ": " + std::to_string(kMostClients) +
                       " clients are connected already, none idle for " + std::to_string(_iIdleMilliseconds / 1000) +
                       " s";
    if (_uRefusalsNotTold > 0)
        line += " (and " + std::to_string(_uRefusalsNotTold) + " more since the last such line)";
    Notice(line);
    _uLastRefusalTold = now;
    _uRefusalsNotTold = 0;
}

ClientSocket::ClientSocket(SocketHandle socket, unsigned int peer, ClientManager* manager)
    : NetSocket(socket, peer, manager, true), _uLastHeard(Milliseconds())
{
}

ClientSocket::~ClientSocket() { Manager().View().Left(GetID(), "left"); }

std::string ClientSocket::Name() const { return "client " + std::to_string(GetID()) + " from " + DottedAddress(_uPeerAddress); }

unsigned long long ClientSocket::IdleMilliseconds() const { return Milliseconds() - _uLastHeard; }

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
    _uLastHeard = Milliseconds();
    NetSocket::HandleInput();
    while (!_lInList.empty()) {
        IPacket* packet = _lInList.front();
        _lInList.pop_front();
        std::string error;
        const auto message = _reader.Feed(packet->GetData() + 4, packet->GetSize() - 4, error);
        delete packet;
        if (message)
            Manager().View().Show(GetID(), *message);
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

ListenSocket::ListenSocket(ClientManager& manager) : _manager(manager) { SetMgrSocketBase(&manager); }

ListenSocket::~ListenSocket() { Resume(); }

bool ListenSocket::MakeRoom()
{
    if (_manager.ClientCount() < kMostClients)
        return true;
    ClientSocket* idlest = _manager.IdlestClient();
    if (!idlest || idlest->IdleMilliseconds() < static_cast<unsigned long long>(_manager.IdleMilliseconds()))
        return false;
    // Deleted at the end of this pass, so the count is back at the limit.
    idlest->Drop("idle for " + std::to_string(idlest->IdleMilliseconds() / 1000) +
                 " s when every slot was taken: its slot went to a new client");
    return true;
}

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
        const unsigned long long now = Milliseconds();
        const bool newPause = !_bInPause;
        _bInPause = true;
        if (!newPause) {
            // still the pause already reported or counted
        } else if (_uPauseReportedAt == 0 || now - _uPauseReportedAt >= kPauseNoticeMilliseconds) {
            std::string since;
            if (_iPausesUnreported > 0)
                since = " (" + std::to_string(_iPausesUnreported) + " more times since the last notice)";
            _manager.Notice("cannot accept clients now (" + SocketErrorText(error) +
                            "); trying again when a client leaves, at least once a second" + since);
            _uPauseReportedAt = now;
            _iPausesUnreported = 0;
        } else {
            ++_iPausesUnreported;
        }
        _hPaused = _hSocket;
        _hSocket = kInvalidSocket;
        _uResumeAt = Milliseconds() + kAcceptPauseMilliseconds;
        return;
    }
    _bInPause = false;
    if (!MakeRoom()) {
        NetSocket refused(accepted, peer, nullptr, true);  // closes it
        _manager.Refused(peer);
        return;
    }
    const int id = _manager.AddSocket(new ClientSocket(accepted, peer, &_manager));
    _manager.View().Connected(id, peer);
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
