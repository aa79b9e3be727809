#include "StreamWriter.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "Platform.h"

namespace RemoteConsole {

// What the writer thread and the program share; the thread keeps it alive
// after the writer is gone, should the stream never take its last lines.
struct StreamWriter::Shared {
    std::FILE* stream;
    std::size_t limit;
    std::string lostNotice;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> queue;
    std::size_t queuedBytes = 0;
    bool writing = false;
    unsigned long long lost = 0;
    bool failed = false;
    bool stop = false;
};

StreamWriter::StreamWriter(std::FILE* stream, std::size_t limit, std::string lostNotice)
    : _pShared(std::make_shared<Shared>())
{
    _pShared->stream = stream;
    _pShared->limit = limit;
    _pShared->lostNotice = std::move(lostNotice);
    std::thread(Run, _pShared).detach();
}

StreamWriter::~StreamWriter()
{
    std::lock_guard<std::mutex> hold(_pShared->lock);
    _pShared->stop = true;
    _pShared->changed.notify_all();
}

void StreamWriter::Write(std::string lines)
{
    std::lock_guard<std::mutex> hold(_pShared->lock);
    Shared& shared = *_pShared;
    // An empty queue takes any one line, so a line longer than the limit is
    // still shown when the reader keeps up.
    if (shared.failed || (!shared.queue.empty() && shared.queuedBytes + lines.size() > shared.limit)) {
        shared.lost += static_cast<unsigned long long>(std::count(lines.begin(), lines.end(), '\n'));
        return;
    }
    if (shared.lost > 0) {
        char notice[256];
        std::snprintf(notice, sizeof notice, shared.lostNotice.c_str(), shared.lost);
        lines.insert(0, notice);
        shared.lost = 0;
    }
    shared.queuedBytes += lines.size();
    shared.queue.push_back(std::move(lines));
    shared.changed.notify_all();
}

bool StreamWriter::Finish(int milliseconds)
{
    std::unique_lock<std::mutex> hold(_pShared->lock);
    return _pShared->changed.wait_for(hold, std::chrono::milliseconds(milliseconds), [this] {
        return _pShared->failed || (_pShared->queue.empty() && !_pShared->writing);
    });
}

bool StreamWriter::Failed() const
{
    std::lock_guard<std::mutex> hold(_pShared->lock);
    return _pShared->failed;
}

void StreamWriter::Run(std::shared_ptr<Shared> shared)
{
    std::unique_lock<std::mutex> hold(shared->lock);
    for (;;) {
        shared->changed.wait(hold, [&] { return shared->stop || !shared->queue.empty(); });
        if (shared->queue.empty())
            return;
        const std::string lines = std::move(shared->queue.front());
        shared->queue.pop_front();
        shared->writing = true;
        hold.unlock();
        const bool written = WriteAll(shared->stream, lines.data(), lines.size());
        hold.lock();
        shared->writing = false;
        shared->queuedBytes -= lines.size();
        if (!written) {
            shared->failed = true;
            shared->queue.clear();
            shared->queuedBytes = 0;
        }
        shared->changed.notify_all();
    }
}

}  // namespace RemoteConsole
