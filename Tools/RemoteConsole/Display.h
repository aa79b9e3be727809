// How a message is shown, on standard output and in the log alike: every line
// tagged with its client ("[3 127.0.0.1] "), then its level mark, indented
// four spaces per block level of its client (at most kDeepestShown levels;
// deeper blocks are still counted), with its control bytes and its invisible
// or reordering characters made visible so that no client can drive the
// terminal or disguise its text. A line says when a client connects and when
// it leaves.
//
// The log gets every line. Standard output never holds the program up: what
// it cannot take is dropped from it and counted (see StreamWriter).
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "RecordReader.h"
#include "StreamWriter.h"

namespace RemoteConsole {

const int kDeepestShown = 32;

// The text as it is shown: a line end ("\n" or "\r\n") starts a new line
// that begins with `continuation`, one at the very end is dropped, a tab stays;
// every other control byte, C1 control and byte that is not part of valid
// UTF-8 is written as \xHH (C1 controls as \u0080 to \u009F), and so are, as
// \uHHHH, the characters that change the order in which text is shown
// (bidirectional overrides, embeddings, isolates and marks), those that show
// nothing (zero-width spaces and joiners, the soft hyphen, the byte order
// mark) and the line and paragraph separators.
std::string Visible(const std::string& text, const std::string& continuation);

// "127.0.0.1" for 0x7F000001.
std::string DottedAddress(unsigned int address);

class Display {
public:
    Display(StreamWriter& view, std::FILE* log, bool colour) : _view(view), _pLog(log), _bColour(colour) {}

    void Connected(int client, unsigned int address);
    void Show(int client, const Message& message);
    // `how`: "left", or "dropped: " and why.
    void Left(int client, const std::string& how);

private:
    void Write(const std::string& plain, const std::string& coloured);

    struct Client {
        std::string tag;  // "[3 127.0.0.1] "
        long long depth = 0;
    };
    StreamWriter& _view;
    std::FILE* _pLog;
    bool _bColour;
    std::map<int, Client> _mClients;
};

}  // namespace RemoteConsole
