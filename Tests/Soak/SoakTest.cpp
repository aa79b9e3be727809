// Eight threads log at once through the standard output (into a file), the log
// file, the remote console (to a receiver reading in its own thread) and a
// console of the host's, with blocks opening and closing and the threshold
// changing under them. Afterwards every console holds every message it should,
// each thread's in the order logged; the remote console's losses are counted
// to the message; and the process holds no more memory than before.
//
// VEXIR_SOAK_MESSAGES sets the number of messages (`./dev soak` runs many).
#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>
#include <Vexir/SystemInfo.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RecordReader.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;
using namespace Vexir::Network;

const int kThreads = 8;

long MessagesToLog()
{
    const char* text = std::getenv("VEXIR_SOAK_MESSAGES");
    const long count = text ? std::atol(text) : 0;
    return count > 0 ? count : 1000000;
}

// The padding a message carries: its length tells a whole line from a cut one.
int PaddingOf(long n) { return n % 97 == 0 ? 300 : static_cast<int>(n % 13); }

// What one console showed of the tagged messages "@T<thread> #<n> <m|v> pp..":
// each thread's numbers must rise, each message must be whole, and the "m"
// ones (Info, always above the threshold) must all be there.
class Tally {
public:
    void See(const char* text)
    {
        int thread = -1;
        long number = -1;
        char must = 0;
        const char* tag = std::strstr(text, "@T");
        if (!tag) {
            blocks += std::strstr(text, "@B") != nullptr;
            return;
        }
        int at = 0;
        if (std::sscanf(tag, "@T%d #%ld %c %n", &thread, &number, &must, &at) != 3 || thread < 0 ||
            thread >= kThreads || std::strspn(tag + at, "p") != static_cast<std::size_t>(PaddingOf(number)) ||
            (tag[at + PaddingOf(number)] != '\0' && tag[at + PaddingOf(number)] != '\n')) {
            ++garbled;
            return;
        }
        ordered = ordered && number > _last[thread];
        _last[thread] = number;
        ++seen;
        musts += must == 'm';
    }
    long seen = 0, musts = 0, blocks = 0, garbled = 0;
    bool ordered = true;

private:
    long _last[kThreads] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

void TallyFile(const std::string& path, Tally& tally)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();  // the log file is text: "\r\n" on Windows
        tally.See(line.c_str());
    }
}

// A console of the host's: sees every message, whatever the threshold.
class HostConsole : public IConsole {
public:
    void Output(MessageKind, VerbosityLevel, const char* text) override { tally.See(text); }
    Tally tally;
};

// The RemoteConsole program's side, reading with the program's own reader.
class RemoteReceiver {
public:
    RemoteReceiver()
    {
        EXPECT_TRUE(_manager.Init());
        _listener.Init(0x7F000001u, 7500);
        EXPECT_EQ(_listener.GetPort(), 7500);
    }
    ~RemoteReceiver()
    {
        _stop = true;
        if (_thread.joinable())
            _thread.join();
    }

    // Accepts the console's connection, then reads on its own thread.
    bool Accept()
    {
        unsigned int peer = 0;
        SocketHandle accepted = kInvalidSocket;
        for (int i = 0; i < 2500 && accepted == kInvalidSocket; ++i) {
            accepted = _listener.AcceptConnection(&peer);
            if (accepted == kInvalidSocket)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (accepted == kInvalidSocket)
            return false;
        _pSocket = new Reading(accepted, &_manager);
        _manager.AddSocket(_pSocket);
        _thread = std::thread([this] { Read(); });
        return true;
    }

    // Whether the message holding `text` has arrived, waiting up to `ms`.
    bool Received(const std::string& text, int ms)
    {
        for (int i = 0; i <= ms; ++i) {
            {
                std::lock_guard<std::mutex> hold(_lock);
                if (_sLastText.find(text) != std::string::npos)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    Tally tally;
    unsigned long long dropped = 0;
    std::string error;

private:
    class Reading : public NetSocket {
    public:
        Reading(SocketHandle socket, MgrSocketBase* manager) : NetSocket(socket, 0, manager, true) {}
        std::list<IPacket*>& Packets() { return _lInList; }
    };

    void Read()
    {
        while (!_stop && error.empty()) {
            _manager.DoSelect(0, 20000, 1);
            if (_manager.GetSocketCount() != 1)
                return;  // the console went, and its socket with it
            std::list<IPacket*>& packets = _pSocket->Packets();
            while (!packets.empty()) {
                IPacket* packet = packets.front();
                packets.pop_front();
                const std::optional<RemoteConsole::Message> message =
                    _reader.Feed(packet->GetData() + 4, packet->GetSize() - 4, error);
                delete packet;
                if (!message)
                    continue;
                unsigned long long count = 0;
                if (std::sscanf(message->text.c_str(), "Remote console: %llu messages were dropped", &count) == 1)
                    dropped += count;
                else
                    tally.See(message->text.c_str());
                std::lock_guard<std::mutex> hold(_lock);
                _sLastText = message->text;
            }
        }
    }

    MgrSocketBase _manager;
    NetListenSocket _listener;
    Reading* _pSocket = nullptr;
    RemoteConsole::RecordReader _reader;
    std::thread _thread;
    std::atomic<bool> _stop{false};
    std::mutex _lock;
    std::string _sLastText;
};

std::uint64_t ResidentKB()
{
    MemoryInfo info;
    return GetMemoryInfo(info) ? info.workingSetSizeKB : 0;
}

// Each thread logs its share: Info ("m") mostly, Verbose ("v") every tenth,
// a longer text now and then, and a block around every 500th.
void LogFrom(IMgrConsole* manager, int thread, long first, long count)
{
    const std::string padding(300, 'p');
    for (long n = first; n < first + count; ++n) {
        const int extra = PaddingOf(n);
        if (n % 500 == 0) {
            AutoConsoleBlock block(manager, IConsole::Info, "@B begin", "@B end");
            manager->PrintInfo("@T%d #%ld m %.*s\n", thread, n, extra, padding.c_str());
        } else if (n % 10 == 0) {
            manager->PrintVerbose("@T%d #%ld v %.*s\n", thread, n, extra, padding.c_str());
        } else {
            manager->PrintInfo("@T%d #%ld m %.*s\n", thread, n, extra, padding.c_str());
        }
    }
}

long Musts(long first, long count)
{
    long musts = 0;
    for (long n = first; n < first + count; ++n)
        musts += n % 500 == 0 || n % 10 != 0;
    return musts;
}

TEST(Soak, EightThreadsLogThroughEveryKindOfConsole)
{
    IMgrConsole* manager = GetMgrConsole();
    manager->RemoveAllConsoles(true);
    manager->SetVerbosity(IConsole::Info);
    VexirTest::ScratchDirectory scratch;

    std::ofstream standardOutput(scratch.Path("stdout.txt"), std::ios::binary);
    std::streambuf* const realOutput = std::cout.rdbuf(standardOutput.rdbuf());
    manager->GetConsole(IMgrConsole::Stdout);
    auto* file = static_cast<IFileConsoleInterface*>(
        manager->GetConsole(IMgrConsole::File)->GetInterface(InterfaceBase::File));
    file->SetDirectory(scratch.Path());
    file->SetFileName("soak.txt");
    auto* host = new HostConsole;
    manager->AddConsole(host);
    RemoteReceiver receiver;
    auto* remote = static_cast<IRemoteConsoleInterface*>(
        manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
    ASSERT_TRUE(remote->ConnectLocal());
    ASSERT_TRUE(receiver.Accept());

    const long total = MessagesToLog();
    const long perThread = total / kThreads;
    const long warmUp = perThread / 10;
    const auto run = [&](long first, long count) {
        std::atomic<int> running{kThreads};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                LogFrom(manager, t, first, count);
                --running;
            });
        // The threshold moves under the threads: Verbose messages come and go.
        for (int flip = 0; running > 0; ++flip) {
            manager->SetVerbosity(flip % 2 ? IConsole::Verbose : IConsole::Info);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (std::thread& thread : threads)
            thread.join();
    };

    run(0, warmUp);
    const std::uint64_t before = ResidentKB();
    run(warmUp, perThread - warmUp);
    manager->SetVerbosity(IConsole::Info);
    // The remote console sends only when it is given a message, so closing
    // messages go until one arrives: everything before it has then arrived or
    // been counted in a drop notice ahead of it.
    long closing = 0;
    bool arrived = false;
    while (!arrived && closing < 6000) {
        const std::string text = "@B closing " + std::to_string(closing++);
        manager->PrintInfo("%s\n", text.c_str());
        arrived = receiver.Received(text + "\n", 10);
    }
    EXPECT_TRUE(arrived) << "the remote receiver never caught up";
    const std::uint64_t after = ResidentKB();

    // The built-in consoles go (closing the log file); the host's stays ours.
    manager->RemoveAllConsoles(false);
    std::cout.rdbuf(realOutput);
    standardOutput.close();

    const long logged = perThread * kThreads;
    const long musts = Musts(0, perThread) * kThreads;
    const long blocks = 2 * ((perThread + 499) / 500) * kThreads + closing;

    EXPECT_EQ(host->tally.seen, logged) << "the host's console missed messages";
    EXPECT_EQ(host->tally.blocks, blocks);
    EXPECT_EQ(host->tally.garbled, 0);
    EXPECT_TRUE(host->tally.ordered);

    for (const char* name : {"stdout.txt", "soak.txt"}) {
        Tally tally;
        TallyFile(scratch.Path(name), tally);
        EXPECT_EQ(tally.musts, musts) << name << " lost Info messages";
        EXPECT_GE(tally.seen, musts) << name;
        EXPECT_TRUE(tally.ordered) << name << " has a thread's messages out of order";
        EXPECT_EQ(tally.garbled, 0) << name << " has lines cut or run together";
    }

    EXPECT_EQ(receiver.error, "") << "the remote records were malformed";
    EXPECT_TRUE(receiver.tally.ordered) << "remote messages out of order";
    EXPECT_EQ(receiver.tally.garbled, 0);
    EXPECT_EQ(receiver.tally.seen + receiver.tally.blocks + static_cast<long>(receiver.dropped), logged + blocks)
        << "the remote console lost messages without counting them (" << receiver.dropped << " counted)";
    std::printf("%ld messages; remote: %ld received, %llu dropped; resident %llu KB before, %llu KB after\n", logged,
                receiver.tally.seen, receiver.dropped, static_cast<unsigned long long>(before),
                static_cast<unsigned long long>(after));
    delete host;

#if !defined(VEXIR_SOAK_NO_MEMORY_CHECK)
    // Sanitizers keep freed memory back on purpose, so only plain builds judge
    // it: 4 MiB over 10^6 messages would be 4 bytes each.
    ASSERT_GT(before, 0u) << "no memory figures";
    EXPECT_LT(after, before + 4 * 1024) << "the process grew by " << (after - before) << " KB while logging";
#endif
}

}  // namespace
