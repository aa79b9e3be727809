#include "Arguments.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Command.h"

namespace VexirTool {

namespace {

bool IsDecimal(const std::string& text)
{
    // strtod alone would also take hexadecimal, "inf", "nan" and leading blanks.
    std::size_t at = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        digits = true;
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
            digits = true;
    if (digits && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            ++at;
        const std::size_t exponent = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        digits = at > exponent;
    }
    return digits && at == text.size();
}

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

double Number(const std::string& command, const std::string& what, const std::string& text, Range range)
{
    if (!IsDecimal(text))
        throw UsageError(command, what + " \"" + text + "\" is not a number");
    const double value = std::strtod(text.c_str(), nullptr);
    const bool belowHigh = range.highIncluded ? value <= range.high : value < range.high;
    if (!std::isfinite(value) || value < range.low || !belowHigh)
        throw UsageError(command, what + " " + text + " is out of range (" + Shown(range.low) + " to " +
                                      Shown(range.high) + (range.highIncluded ? "" : ", not included") + ")");
    return value;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (text[0] == '-' && std::abs(std::strtod(text, nullptr)) == 0)
        return text + 1;
    return text;
}

std::string General(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    if (text[0] == '-' && std::abs(std::strtod(text, nullptr)) == 0)
        return text + 1;
    return text;
}

}  // namespace VexirTool
