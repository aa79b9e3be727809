#include <Vexir/Date.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using namespace Vexir;

TEST(Date, JulianDayNumbersAcrossTheCalendarReform)
{
    EXPECT_EQ(Date::ComputeJulianDateNumber(2000, 1, 1), 2451545);
    EXPECT_EQ(Date::ComputeJulianDateNumber(1582, 10, 15), 2299161);
    EXPECT_EQ(Date::ComputeJulianDateNumber(1582, 10, 4), 2299160);
    EXPECT_EQ(Date::ComputeJulianDateNumber(-4712, 1, 1), 0);
    EXPECT_EQ(Date::ComputeJulianDateNumber(2024, 2, 29), 2460370);
    // Julian days run on without a gap from 1 October (Julian calendar) to
    // 31 October 1582 (Gregorian): the ten dropped dates do not exist.
    long previous = Date::ComputeJulianDateNumber(1582, 9, 30);
    for (int day = 1; day <= 31; ++day) {
        if (day > 4 && day < 15)
            continue;
        const long number = Date::ComputeJulianDateNumber(1582, 10, day);
        EXPECT_EQ(number, previous + 1) << "October " << day;
        previous = number;
    }
    EXPECT_EQ(Date::ComputeJulianDateNumber(1582, 11, 1), previous + 1);
}

// Far from now the day number outgrows 32 bits (Windows' long); Set does not.
TEST(Date, DistantYearsKeepTheirDays)
{
    Date later, earlier;
    later.Set(10000000, 1, 1, 12, 0, 0, 0);
    earlier.Set(9999600, 1, 1, 12, 0, 0, 0);
    EXPECT_EQ(later.GetJulianDate() - earlier.GetJulianDate(), 146097.0) << "400 Gregorian years";
    EXPECT_GT(later.GetJulianDate(), 3.6e9);
}

TEST(Date, TimesAreDayFractionsFromNoonInUniversalTime)
{
    EXPECT_EQ(Date::ComputeTimeOffset(12, 0, 0, 0), 0.0);
    EXPECT_EQ(Date::ComputeDecimalHours(1, 30, 0), 1.5);
    Date date;
    date.Set(2000, 1, 1, 12, 0, 0, 0);
    EXPECT_EQ(date.GetJulianDate(), 2451545.0);
    date.Set(2000, 1, 1, 12, 0, 0, 1);
    EXPECT_DOUBLE_EQ(date.GetJulianDate(), 2451545.0 - 1.0 / 24);
    date.Set(2451545L, 18, 0, 0, 0);
    EXPECT_EQ(date.GetJulianDate(), 2451545.25);
}

// At solar noon the elevation is 90 - |latitude - declination|.
TEST(Date, NoonElevationMatchesTheTextbook)
{
    struct Day {
        int month, day;
        double declination;
    };
    // The sun's declination at noon UT on the 2026 equinoxes and solstices.
    const Day days[] = {{3, 20, -0.05}, {6, 21, 23.44}, {9, 23, -0.19}, {12, 21, -23.44}};
    for (const Day& day : days) {
        for (double latitude : {0.0, 23.44, 48.137, -33.9, 60.0}) {
            // Solar noon at longitude 0: 12:00 UT corrected by the equation of
            // time, found as the highest elevation of the day.
            double best = -90;
            for (int minute = 11 * 60 + 30; minute <= 12 * 60 + 30; ++minute) {
                Date date;
                date.Set(2026, day.month, day.day, static_cast<float>(minute / 60), static_cast<float>(minute % 60), 0,
                         0);
                double azimuth, elevation;
                date.GetSunPosition(latitude, 0, azimuth, elevation);
                best = std::fmax(best, elevation);
            }
            EXPECT_NEAR(best, 90 - std::fabs(latitude - day.declination), 0.1)
                << day.month << "/" << day.day << " at latitude " << latitude;
        }
    }
}

TEST(Date, EquinoxNoonAtTheEquatorIsOverheadAndNightIsBelow)
{
    Date date;
    date.Set(2026, 3, 20, 12, 7, 0, 0);
    double azimuth, elevation;
    date.GetSunPosition(0, 0, azimuth, elevation);
    EXPECT_GT(elevation, 89.0);
    date.Set(2026, 12, 21, 0, 0, 0, 1);
    date.GetSunPosition(60, 10, azimuth, elevation);
    EXPECT_LT(elevation, 0.0);
}

// The point where the sun stands overhead, found from the library's own
// answers: from any place, the subsolar point lies 90 - elevation degrees away
// along the azimuth. A few such steps settle on it.
void FindSubsolarPoint(const Date& date, double& latitude, double& longitude)
{
    const double radians = 0.017453292519943295;
    latitude = 0, longitude = 0;
    for (int step = 0; step < 6; ++step) {
        double azimuth, elevation;
        date.GetSunPosition(latitude, longitude, azimuth, elevation);
        const double distance = (90 - elevation) * radians, bearing = azimuth * radians;
        const double phi = latitude * radians;
        const double target =
            std::asin(std::sin(phi) * std::cos(distance) + std::cos(phi) * std::sin(distance) * std::cos(bearing));
        longitude += std::atan2(std::sin(bearing) * std::sin(distance) * std::cos(phi),
                                std::cos(distance) - std::sin(phi) * std::sin(target)) /
                     radians;
        latitude = target / radians;
    }
}

// Straight under the sun the cosine of the zenith angle rounds past 1 at some
// places; the sun is then overhead, not lost.
TEST(Date, TheSunOverheadIsAtTheZenith)
{
    Date date;
    date.Set(2020, 1, 2, 9, 0, 0, 0);
    double azimuth = -1, elevation = -1;
    date.GetSunPosition(-22.947853668953737, 45.931846482233581, azimuth, elevation);
    EXPECT_EQ(elevation, 90.0);
    EXPECT_TRUE(azimuth >= 0 && azimuth < 360) << azimuth;
    const Vector3f overhead = date.GetSunVector(-22.947853668953737, 45.931846482233581);
    EXPECT_EQ(overhead.z, 1.0f);

    // A sweep of moments through a year, and the places a few ulps around each
    // subsolar point.
    int places = 0;
    for (int day = 1; day <= 365; day += 16) {
        for (int hour = 0; hour < 24; hour += 5) {
            date.Set(2021, 1, day, static_cast<float>(hour), 17, 0, 0);
            double latitude, longitude;
            FindSubsolarPoint(date, latitude, longitude);
            for (int i = -3; i <= 3; ++i)
                for (int j = -3; j <= 3; ++j) {
                    double lat = latitude, lon = longitude;
                    for (int k = 0; k < std::abs(i); ++k)
                        lat = std::nextafter(lat, i < 0 ? -90.0 : 90.0);
                    for (int k = 0; k < std::abs(j); ++k)
                        lon = std::nextafter(lon, j < 0 ? -360.0 : 360.0);
                    date.GetSunPosition(lat, lon, azimuth, elevation);
                    ++places;
                    ASSERT_GT(elevation, 89.9999) << "day " << day << " hour " << hour << " at " << lat << ", " << lon;
                    ASSERT_TRUE(azimuth >= 0 && azimuth < 360) << azimuth;
                    const Vector3f sun = date.GetSunVector(lat, lon);
                    ASSERT_NEAR(sun.Length(), 1.0f, 1e-6f);
                }
        }
    }
    EXPECT_EQ(places, 23 * 5 * 49);
}

TEST(Date, SunVectorIsAUnitVectorTowardsTheSun)
{
    Date date;
    for (int hour = 0; hour < 24; ++hour) {
        date.Set(2026, 6, 21, static_cast<float>(hour), 0, 0, 2);
        double azimuth, elevation;
        date.GetSunPosition(48.137, 11.575, azimuth, elevation);
        EXPECT_GE(azimuth, 0.0);
        EXPECT_LT(azimuth, 360.0);
        const Vector3f sun = date.GetSunVector(48.137, 11.575);
        EXPECT_NEAR(sun.Length(), 1.0f, 1e-6f);
        EXPECT_EQ(sun.z, static_cast<float>(std::sin(elevation * 0.017453292519943295)));
    }
    date.Set(2026, 6, 21, 13, 16, 0, 2);  // solar noon in Munich: the sun is due south
    const Vector3f noon = date.GetSunVector(48.137, 11.575);
    EXPECT_GT(noon.x, 0.4f);
    EXPECT_LT(std::fabs(noon.y), 0.05f);
}

}  // namespace
