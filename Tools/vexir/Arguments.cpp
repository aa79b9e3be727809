#include "Arguments.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace VexirTool {

ParsedArguments ParseArguments(const Arguments& arguments)
{
    ParsedArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = argument.size() > 2 && argument.compare(0, 2, "--") == 0;
        if (isOption && i + 1 < arguments.size())
            parsed.options[argument.substr(2)] = arguments[++i];
        else if (isOption)
            parsed.options[argument.substr(2)] = "";
        else
            parsed.words.push_back(argument);
    }
    return parsed;
}

std::optional<double> ParseNumber(const std::string& text, double low, double high)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

int Refuse(const char* command, const std::string& message)
{
    std::fprintf(stderr, "vexir %s: %s\n", command, message.c_str());
    return 1;
}

}  // namespace VexirTool
