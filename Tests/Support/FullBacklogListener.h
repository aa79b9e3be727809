// A listener that never accepts and whose queue is full: a connection to it
// is neither made nor refused, its handshake goes unanswered (as with an
// address that drops it), until the listener closes.
#pragma once

#include <cstdint>
#include <vector>

namespace VexirTest {

class FullBacklogListener {
public:
    // Listens at a host-order address and port (0: any free one) with the
    // smallest queue, then fills the queue with connections of its own.
    FullBacklogListener(unsigned int address, unsigned short port);
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    // The queue is full: the last connection of its own went unanswered.
    bool Full() const { return _bFull; }
    unsigned short Port() const { return _uPort; }
    // Closes the listener and its connections; a connect waiting on it ends.
    void Close();

private:
    std::uintptr_t _hListener;
    std::vector<std::uintptr_t> _lFillers;
    unsigned short _uPort = 0;
    bool _bFull = false;
};

}  // namespace VexirTest
