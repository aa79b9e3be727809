// How a message is shown, on standard output and in the log alike: its level
// mark, indented four spaces per block level of its client (at most
// kDeepestShown levels; deeper blocks are still counted), with its control
// bytes made visible so that no client can drive the terminal.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "RecordReader.h"

namespace RemoteConsole {

const int kDeepestShown = 32;

// The text as it is shown: a line end ("\n" or "\r\n") starts a new line
// that begins with `continuation`, one at the very end is dropped, a tab stays;
// every other control byte, C1 control and byte that is not part of valid
// UTF-8 is written as \xHH (C1 controls as \u0080 to \u009F).
std::string Visible(const std::string& text, const std::string& continuation);

class Display {
public:
    Display(std::FILE* log, bool colour) : _pLog(log), _bColour(colour) {}

    void Show(int client, const Message& message);
    void Forget(int client) { _mDepths.erase(client); }

private:
    std::FILE* _pLog;
    bool _bColour;
    std::map<int, long long> _mDepths;
};

}  // namespace RemoteConsole
