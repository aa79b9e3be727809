#include <Vexir/Date.h>

#include <gtest/gtest.h>

#include <cmath>

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
