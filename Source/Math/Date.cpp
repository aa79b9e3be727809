#include <Vexir/Date.h>

#include <cmath>
#include <cstdint>

namespace Vexir {

namespace {

const double kRadiansPerDegree = 0.017453292519943295;
const double kTwoPi = 6.283185307179586;
// The earth's mean radius over the astronomical unit.
const double kParallax = 4.2587565907513806e-5;

}  // namespace

namespace {

// In 64 bits on every platform: `long` is 32 bits on Windows, where 365 * y
// overflows past the year 5,800,000.
long long JulianDayNumber(int year, int month, int day)
{
    const long long a = (14 - month) / 12;
    const long long y = static_cast<long long>(year) + 4800 - a;
    const long long julian = day + (153 * (month + 12 * a) - 457) / 5 + 365 * y + y / 4 - 32083;
    if (julian < 2299162)
        return julian;
    return julian + y / 400 - y / 100 + 38;
}

}  // namespace

long Date::ComputeJulianDateNumber(int year, int month, int day)
{
    return static_cast<long>(JulianDayNumber(year, month, day));
}

double Date::ComputeDecimalHours(float hour, float minute, float second)
{
    return (static_cast<double>(second) / 60 + minute) / 60 + hour;
}

double Date::ComputeTimeOffset(float hour, float minute, float second, float zone)
{
    return ((static_cast<double>(second) / 60 + minute) / 60 + hour - zone) / 24 - 0.5;
}

void Date::Set(int year, int month, int day, float hour, float minute, float second, float zone)
{
    _dJulianDate = static_cast<double>(JulianDayNumber(year, month, day)) +
                   ComputeTimeOffset(hour, minute, second, zone);
}

void Date::Set(long julianDayNumber, float hour, float minute, float second, float zone)
{
    _dJulianDate = ComputeTimeOffset(hour, minute, second, zone) + static_cast<double>(julianDayNumber);
}

void Date::GetSunPosition(double latitude, double longitude, double& azimuth, double& elevation) const
{
    const double jd = _dJulianDate;
    const double n = jd - 2451545.0;
    const double hours = (jd + 0.5 - std::trunc(jd + 0.5)) * 24;

    // Ecliptic coordinates.
    const double omega = 2.1429 - 0.0010394594 * n;
    const double meanLongitude = 4.895063 + 0.017202791698 * n;
    const double meanAnomaly = 6.24006 + 0.0172019699 * n;
    const double eclipticLongitude = 0.00034894 * std::sin(2 * meanAnomaly) +
                                     (0.03341607 * std::sin(meanAnomaly) + meanLongitude) - 0.0001134 -
                                     0.0000203 * std::sin(omega);
    const double obliquity = 0.0000396 * std::cos(omega) + (0.4090928 - 6.214e-9 * n);

    // Celestial coordinates.
    double rightAscension = std::atan2(std::cos(obliquity) * std::sin(eclipticLongitude), std::cos(eclipticLongitude));
    if (rightAscension < 0)
        rightAscension += kTwoPi;
    const double declination = std::asin(std::sin(obliquity) * std::sin(eclipticLongitude));

    // Local coordinates.
    const double hourAngle =
        ((0.0657098283 * n + 6.6974243242 + hours) * 15 + longitude) * kRadiansPerDegree - rightAscension;
    const double phi = latitude * kRadiansPerDegree;
    // Straight under the sun the cosine can round past 1, where acos has no
    // answer: the sun is then overhead.
    const double cosZenith =
        std::cos(declination) * (std::cos(hourAngle) * std::cos(phi)) + std::sin(declination) * std::sin(phi);
    const double zenith = std::acos(cosZenith > 1 ? 1 : cosZenith < -1 ? -1 : cosZenith);
    double gamma = std::atan2(-std::sin(hourAngle),
                              std::tan(declination) * std::cos(phi) - std::cos(hourAngle) * std::sin(phi));
    if (gamma < 0)
        gamma += kTwoPi;
    azimuth = gamma / kRadiansPerDegree;
    // Parallax correction of the zenith angle.
    const double corrected = zenith + kParallax * std::sin(zenith);
    elevation = 90 - corrected / kRadiansPerDegree;
}

Vector3f Date::GetSunVector(double latitude, double longitude) const
{
    double azimuth = 0, elevation = 0;
    GetSunPosition(latitude, longitude, azimuth, elevation);
    const double e = elevation * kRadiansPerDegree;
    const double a = azimuth * kRadiansPerDegree;
    const float c = std::cos(static_cast<float>(e));
    return Vector3f(static_cast<float>(-std::cos(a)) * c, static_cast<float>(std::sin(a)) * c,
                    static_cast<float>(std::sin(e)));
}

}  // namespace Vexir
