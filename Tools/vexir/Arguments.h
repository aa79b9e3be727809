// Parsing of the tool's arguments: "--name value" options and positional words,
// with strict numbers (the whole text, finite, within a range).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Command.h"

namespace VexirTool {

struct ParsedArguments {
    std::map<std::string, std::string> options;  // without the leading "--"
    std::vector<std::string> words;
};

ParsedArguments ParseArguments(const Arguments& arguments);

// The number in `text`, when all of it is one and it lies in [low, high].
std::optional<double> ParseNumber(const std::string& text, double low, double high);

// Prints "vexir NAME: MESSAGE" on standard error and returns 1.
int Refuse(const char* command, const std::string& message);

}  // namespace VexirTool
