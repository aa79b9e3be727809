// Writes lines to a standard stream from a thread of its own, so that a
// reader that does not read (a terminal on hold, a pipe nobody empties) holds
// up only that thread: the program goes on serving its clients, writing its
// log and answering its signals. While more than the limit waits, further
// lines are dropped and counted; once the stream takes lines again, one line
// says how many were lost.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace RemoteConsole {

class StreamWriter {
public:
    // `lostNotice` is a printf format with one %llu, the count of lost lines,
    // and ends in a line feed.
    StreamWriter(std::FILE* stream, std::size_t limit, std::string lostNotice);
    // Does not wait: call Finish first. What is still queued, the thread
    // writes if it can before the program ends.
    ~StreamWriter();
    StreamWriter(const StreamWriter&) = delete;
    StreamWriter& operator=(const StreamWriter&) = delete;

    // One or more whole lines. Never waits for the stream.
    void Write(std::string lines);
    // Waits at most `milliseconds` until everything queued is written.
    bool Finish(int milliseconds);
    // A write to the stream failed (its reader went away, say).
    bool Failed() const;

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> _pShared;
};

}  // namespace RemoteConsole
