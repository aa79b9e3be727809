// `vexir sun`: the sun's position for a date, time, zone and place.
#include <Vexir/Date.h>

#include <cstdio>
#include <string>

#include "Arguments.h"

namespace VexirTool {

namespace {

struct Moment {
    int year, month, day;
    double seconds;  // of the day, local
};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ParseDate(const std::string& text, Moment& moment)
{
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &moment.year, &moment.month, &moment.day, &rest) != 3)
        return false;
    return moment.year >= -4712 && moment.year <= 9999 && moment.month >= 1 && moment.month <= 12 &&
           moment.day >= 1 && moment.day <= DaysIn(moment.year, moment.month);
}

// "HH:MM" or "HH:MM:SS", as seconds of the day.
bool ParseTime(const std::string& text, double& seconds)
{
    int hour = 0, minute = 0, second = 0;
    char rest = 0;
    const int fields = std::sscanf(text.c_str(), "%d:%d:%d%c", &hour, &minute, &second, &rest);
    const bool shortForm = fields == 2 && std::sscanf(text.c_str(), "%d:%d%c", &hour, &minute, &rest) == 2;
    if (!(fields == 3 || shortForm) || hour < 0 || hour > 24 || minute < 0 || minute > 59 || second < 0 ||
        second > 59 || (hour == 24 && (minute > 0 || second > 0)))
        return false;
    seconds = hour * 3600.0 + minute * 60.0 + second;
    return true;
}

void PrintPosition(const Moment& moment, double zone, double latitude, double longitude, bool withVector)
{
    const double seconds = moment.seconds;
    const float hour = static_cast<float>(static_cast<int>(seconds / 3600));
    const float minute = static_cast<float>(static_cast<int>(seconds / 60) % 60);
    const float second = static_cast<float>(static_cast<int>(seconds) % 60);
    Vexir::Date date;
    date.Set(moment.year, moment.month, moment.day, hour, minute, second, static_cast<float>(zone));
    double azimuth = 0, elevation = 0;
    date.GetSunPosition(latitude, longitude, azimuth, elevation);
    if (withVector) {
        const Vexir::Vector3f sun = date.GetSunVector(latitude, longitude);
        std::printf("Julian date  %.6f\nazimuth      %.4f degrees (from north towards east)\n"
                    "elevation    %.4f degrees\nsun vector   (%.6f, %.6f, %.6f)  (+x south, +y east, +z up)\n",
                    date.GetJulianDate(), azimuth, elevation, sun.x, sun.y, sun.z);
    } else {
        std::printf("%02d:%02d:%02d  %14.6f  %9.4f  %9.4f\n", static_cast<int>(hour), static_cast<int>(minute),
                    static_cast<int>(second), date.GetJulianDate(), azimuth, elevation);
    }
}

}  // namespace

int RunSun(const Arguments& arguments)
{
    const ParsedArguments parsed = ParseArguments(arguments);
    const auto option = [&](const char* name) {
        const auto found = parsed.options.find(name);
        return found == parsed.options.end() ? std::string() : found->second;
    };
    Moment moment{};
    if (!ParseDate(option("date"), moment))
        return Refuse("sun", "--date YYYY-MM-DD is missing or not a calendar date");
    const auto zone = ParseNumber(option("zone").empty() ? "0" : option("zone"), -14, 14);
    const auto latitude = ParseNumber(option("lat"), -90, 90);
    const auto longitude = ParseNumber(option("lon"), -180, 180);
    if (!zone)
        return Refuse("sun", "--zone must be hours from -14 to 14");
    if (!latitude || !longitude)
        return Refuse("sun", "--lat (-90 to 90) and --lon (-180 to 180) are needed, in degrees");

    if (parsed.options.count("from") || parsed.options.count("to")) {
        double from = 0, to = 0;
        const auto step = ParseNumber(option("step").empty() ? "60" : option("step"), 1, 1440);
        if (!ParseTime(option("from"), from) || !ParseTime(option("to"), to) || from > to)
            return Refuse("sun", "--from and --to must be times HH:MM[:SS], from not after to");
        if (!step)
            return Refuse("sun", "--step must be minutes from 1 to 1440");
        std::printf("time      Julian date       azimuth  elevation\n");
        for (double seconds = from; seconds <= to; seconds += *step * 60) {
            moment.seconds = seconds;
            PrintPosition(moment, *zone, *latitude, *longitude, false);
        }
        return 0;
    }
    if (!ParseTime(option("time").empty() ? "12:00" : option("time"), moment.seconds))
        return Refuse("sun", "--time must be HH:MM[:SS]");
    PrintPosition(moment, *zone, *latitude, *longitude, true);
    return 0;
}

}  // namespace VexirTool
