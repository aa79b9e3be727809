// `vexir sun`: the sun's position for a date, time, zone and place.
#include <Vexir/Date.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "Arguments.h"
#include "Command.h"

namespace VexirTool {

namespace {

struct Moment {
    int year, month, day;
    double seconds;  // of the day, local
};

struct SunArguments {
    std::string date, time = "12:00", zone = "0", latitude, longitude, from, to, step = "60";
};

// The calendar the library reads dates in: Julian before 15 October 1582
// (every fourth year a leap year), Gregorian from then on. The ten days from
// 5 to 14 October 1582 never happened.
bool IsLeapYear(int year)
{
    if (year < 1583)
        return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsCalendarDate(int year, int month, int day)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const int days = month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
    const bool dropped = year == 1582 && month == 10 && day >= 5 && day <= 14;
    return day <= days && !dropped;
}

// Reads `count` digits at `at` into `value`.
bool Digits(const std::string& text, std::size_t& at, std::size_t count, int& value)
{
    value = 0;
    for (std::size_t end = at + count; at < end; ++at) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9')
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

// YYYY-MM-DD (a year from -4712 to 9999, a minus sign before years BC).
Moment ParseDate(const std::string& text)
{
    Moment moment{};
    std::size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const std::size_t dash = text.find('-', at);
    const bool read = dash != std::string::npos && dash > at && dash - at <= 4 &&
                      Digits(text, at, dash - at, moment.year) && text[at++] == '-' &&
                      Digits(text, at, 2, moment.month) && at < text.size() && text[at++] == '-' &&
                      Digits(text, at, 2, moment.day) && at == text.size();
    if (text.size() > 0 && text[0] == '-')
        moment.year = -moment.year;
    if (!read || moment.year < -4712 || !IsCalendarDate(moment.year, moment.month, moment.day))
        throw UsageError("sun", "--date " + text + " is not a calendar date YYYY-MM-DD (dates before 15 October 1582 "
                                "are Julian; 5 to 14 October 1582 did not happen)");
    return moment;
}

// "HH:MM" or "HH:MM:SS", as seconds of the day.
double ParseTime(const std::string& option, const std::string& text)
{
    int hour = 0, minute = 0, second = 0;
    std::size_t at = 0;
    bool read = Digits(text, at, 2, hour) && at < text.size() && text[at++] == ':' && Digits(text, at, 2, minute);
    if (read && at < text.size())
        read = text[at++] == ':' && Digits(text, at, 2, second) && at == text.size();
    if (!read || hour > 24 || minute > 59 || second > 59 || (hour == 24 && (minute > 0 || second > 0)))
        throw UsageError("sun", option + " \"" + text + "\" is not a time HH:MM[:SS]");
    return hour * 3600.0 + minute * 60.0 + second;
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
        std::printf("Julian date  %s\nazimuth      %s degrees (from north towards east)\n"
                    "elevation    %s degrees\nsun vector   (%s, %s, %s)  (+x south, +y east, +z up)\n",
                    Fixed(date.GetJulianDate(), 6).c_str(), Fixed(azimuth, 4).c_str(), Fixed(elevation, 4).c_str(),
                    Fixed(sun.x, 6).c_str(), Fixed(sun.y, 6).c_str(), Fixed(sun.z, 6).c_str());
    } else {
        std::printf("%02d:%02d:%02d  %14s  %9s  %9s\n", static_cast<int>(hour), static_cast<int>(minute),
                    static_cast<int>(second), Fixed(date.GetJulianDate(), 6).c_str(), Fixed(azimuth, 4).c_str(),
                    Fixed(elevation, 4).c_str());
    }
}

int Run(const SunArguments& arguments, bool table)
{
    Moment moment = ParseDate(arguments.date);
    const double zone = Number("sun", "--zone", arguments.zone, {-14, 14});
    const double latitude = Number("sun", "--lat", arguments.latitude, {-90, 90});
    const double longitude = Number("sun", "--lon", arguments.longitude, {-180, 180});
    if (table) {
        const double from = ParseTime("--from", arguments.from), to = ParseTime("--to", arguments.to);
        const double step = Number("sun", "--step", arguments.step, {1, 1440});
        if (from > to)
            throw UsageError("sun", "--from " + arguments.from + " is after --to " + arguments.to);
        std::printf("time      Julian date       azimuth  elevation\n");
        for (double seconds = from; seconds <= to; seconds += step * 60) {
            moment.seconds = seconds;
            PrintPosition(moment, zone, latitude, longitude, false);
        }
        return kSucceeded;
    }
    moment.seconds = ParseTime("--time", arguments.time);
    PrintPosition(moment, zone, latitude, longitude, true);
    return kSucceeded;
}

}  // namespace

void AddSun(CLI::App& tool, int& status)
{
    static SunArguments s_arguments;
    CLI::App* sun = tool.add_subcommand("sun", "the sun's position for a date, time and place");
    sun->footer(
        "Prints the Julian date, the azimuth (from north towards east), the elevation and the unit vector\n"
        "towards the sun (+x south, +y east, +z up); with --from and --to, a table of the sun's path over that\n"
        "part of the day instead. The time is local, --zone its offset from Universal Time (east positive);\n"
        "latitude north and longitude east are positive.");
    sun->add_option("--date", s_arguments.date, "YYYY-MM-DD; Julian before 15 October 1582")->required();
    sun->add_option("--time", s_arguments.time, "local time HH:MM[:SS] (default 12:00)");
    sun->add_option("--zone", s_arguments.zone, "hours east of Universal Time, -14 to 14 (default 0)");
    sun->add_option("--lat", s_arguments.latitude, "latitude in degrees, -90 to 90")->required();
    sun->add_option("--lon", s_arguments.longitude, "longitude in degrees, -180 to 180")->required();
    CLI::Option* from = sun->add_option("--from", s_arguments.from, "first time of a table, HH:MM[:SS]");
    CLI::Option* to = sun->add_option("--to", s_arguments.to, "last time of a table, HH:MM[:SS]");
    CLI::Option* step = sun->add_option("--step", s_arguments.step, "minutes between rows, 1 to 1440 (default 60)");
    from->needs(to);
    to->needs(from);
    step->needs(from);
    sun->get_option("--time")->excludes(from);
    sun->callback([&status, from] { status = Run(s_arguments, from->count() > 0); });
}

}  // namespace VexirTool
