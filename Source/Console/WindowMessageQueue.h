// Messages on their way to the thread that runs a console window: any thread
// appends, the window's thread takes them, oldest first.
#pragma once

#include <Vexir/Console.h>

#include <deque>
#include <mutex>
#include <string>
#include <utility>

#include "Console/WindowConsoleLook.h"

namespace Vexir {

struct QueuedMessage {
    std::string text;
    IConsole::MessageKind kind;
    IConsole::VerbosityLevel level;
};

class MessageQueue {
public:
    // True when the window's thread must be woken: it has not been since it
    // last began to drain. One wake-up per burst, however many messages.
    // Bounded: a window that is not taking messages keeps the newest ones.
    bool Push(QueuedMessage message)
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _uCost += Cost(message);
        _dMessages.push_back(std::move(message));
        while (_uCost > windowconsole::kQueueLimit && _dMessages.size() > 1) {
            _uCost -= Cost(_dMessages.front());
            _dMessages.pop_front();
        }
        const bool wake = !_bWakePending;
        _bWakePending = true;
        return wake;
    }

    // Called by the window's thread before it takes messages.
    void BeginDrain()
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _bWakePending = false;
    }

    // When a wake-up could not be delivered, the next message tries again.
    void WakeFailed()
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _bWakePending = false;
    }

    bool Pop(QueuedMessage& message)
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (_dMessages.empty())
            return false;
        message = std::move(_dMessages.front());
        _dMessages.pop_front();
        _uCost -= Cost(message);
        return true;
    }

    std::size_t Size()
    {
        std::lock_guard<std::mutex> hold(_mLock);
        return _dMessages.size();
    }

    void Clear()
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _dMessages.clear();
        _uCost = 0;
    }

private:
    static unsigned long Cost(const QueuedMessage& message)
    {
        return static_cast<unsigned long>(message.text.size()) + windowconsole::kQueuedMessageCost;
    }

    std::mutex _mLock;
    std::deque<QueuedMessage> _dMessages;
    unsigned long _uCost = 0;
    bool _bWakePending = false;
};

}  // namespace Vexir
