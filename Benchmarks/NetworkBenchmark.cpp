// Binary frames of 252 payload bytes from one manager to another over loopback,
// against a plain blocking send/recv loop moving the same frames; and remote
// console messages per second into the RemoteConsole program.
#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchmarkMain.h"

namespace {

using namespace Vexir::Network;

const std::uint32_t kPayload = 252;
const int kBatch = 64;

class CountingSocket : public NetSocket {
public:
    using NetSocket::NetSocket;
    CountingSocket() = default;
    void HandleInput() override
    {
        NetSocket::HandleInput();
        for (IPacket* packet : _lInList)
            delete packet;
        frames += _lInList.size();
        _lInList.clear();
    }
    std::size_t frames = 0;
};

void BM_Frames_SocketManagers(benchmark::State& state)
{
    MgrSocketBase sender, receiver;
    sender.Init();
    receiver.Init();
    NetListenSocket listener;
    listener.Init(0x7F000001u, 0);
    auto* out = new CountingSocket();
    out->SetMgrSocketBase(&sender);
    out->SetBinaryMode(true);
    out->Connect(0x7F000001u, listener.GetPort(), 0);
    out->SetBlocking(0);
    const int outId = sender.AddSocket(out);
    unsigned int peer = 0;
    SocketHandle accepted = kInvalidSocket;
    while (accepted == kInvalidSocket)
        accepted = listener.AcceptConnection(&peer);
    auto* in = new CountingSocket(accepted, peer, &receiver, true);
    receiver.AddSocket(in);
    const std::vector<unsigned char> payload(kPayload, 'p');
    std::size_t sent = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            sender.Send(outId, new BinaryPacket(payload.data(), kPayload));
        sent += kBatch;
        while (in->frames < sent) {
            sender.DoSelect(0, 0, 0);
            receiver.DoSelect(0, 1000, 1);
        }
    }
    state.SetItemsProcessed(static_cast<long long>(sent));
}
BENCHMARK(BM_Frames_SocketManagers);

void BM_Frames_BlockingSendRecv(benchmark::State& state)
{
    const int listening = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listening, 1);
    socklen_t length = sizeof address;
    getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
    const int out = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(out, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    connect(out, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int in = accept(listening, nullptr, nullptr);
    std::vector<unsigned char> frame(kPayload + 4, 'p');
    frame[0] = frame[1] = frame[2] = 0;
    frame[3] = static_cast<unsigned char>(kPayload + 4);
    std::vector<unsigned char> received(frame.size());
    std::size_t moved = 0;
    for (auto _ : state) {
        // The receiver reads what the sender wrote, frame by frame.
        std::thread reader([&] {
            for (int i = 0; i < kBatch; ++i) {
                std::size_t got = 0;
                while (got < received.size())
                    got += static_cast<std::size_t>(recv(in, received.data() + got, received.size() - got, 0));
            }
        });
        for (int i = 0; i < kBatch; ++i)
            send(out, frame.data(), frame.size(), 0);
        reader.join();
        moved += kBatch;
    }
    close(out);
    close(in);
    close(listening);
    state.SetItemsProcessed(static_cast<long long>(moved));
}
BENCHMARK(BM_Frames_BlockingSendRecv);

// Messages of 100 bytes into the running program; every one must be in its log.
void BM_RemoteConsole_Messages(benchmark::State& state)
{
    const std::filesystem::path log = std::filesystem::temp_directory_path() / "vexir-bench-remote.log";
    std::filesystem::remove(log);
    const std::filesystem::path program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "RemoteConsole";
    const std::string command = "\"" + program.string() + "\" --once --log \"" + log.string() + "\" > /dev/null 2>&1";
    std::thread runner([command] { (void)std::system(command.c_str()); });
    Vexir::IMgrConsole* manager = Vexir::GetMgrConsole();
    manager->RemoveAllConsoles(true);
    auto* remote = static_cast<Vexir::IRemoteConsoleInterface*>(
        manager->GetConsole(Vexir::IMgrConsole::Remote)->GetInterface(Vexir::InterfaceBase::Remote));
    bool connected = false;
    for (int attempt = 0; attempt < 200 && !connected; ++attempt) {
        connected = remote->ConnectLocal();
        if (!connected)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    const std::string text(100, 'm');
    long long messages = 0;
    for (auto _ : state) {
        manager->PrintInfo("%s", text.c_str());
        ++messages;
    }
    manager->RemoveAllConsoles(true);
    runner.join();
    std::ifstream file(log);
    long long lines = 0;
    for (std::string line; std::getline(file, line);)
        ++lines;
    state.counters["lost"] = static_cast<double>(messages - lines);
    state.SetItemsProcessed(messages);
}
BENCHMARK(BM_RemoteConsole_Messages)->Iterations(200000);

const bool s_registered = [] {
    VexirBench::CompareRates("Frames through socket managers / blocking send and recv", "BM_Frames_SocketManagers",
                             "BM_Frames_BlockingSendRecv", 0.5);
    return true;
}();

}  // namespace
