/// @file
/// A moment as a Julian date, and the sun's position for a place at that moment
/// (the PSA sun-position algorithm; no refraction correction).
///
/// @code
///   Date date;
///   date.Set(2026, 6, 21, 12, 0, 0, 2);   // local noon, two hours east of UT
///   double azimuth, elevation;
///   date.GetSunPosition(48.137, 11.575, azimuth, elevation);
/// @endcode
///
/// Latitude is positive north, longitude positive east, in degrees. Azimuth runs
/// from north towards east, 0 to 360 degrees; elevation is negative below the
/// horizon. The sun vector's frame is +x south, +y east, +z up.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

/// A moment as a Julian date: days, with their fraction, since noon Universal
/// Time on 1 January 4713 BC of the Julian calendar. Gives the sun's position
/// for a place at that moment.
class VEXIR_API Date {
public:
    /// Julian date 0.
    Date() : _dJulianDate(0) {}

    /// The Julian day number; dates up to 5 October 1582 are read in the
    /// Julian calendar, later ones in the Gregorian: 1 January 2000 => 2451545.
    /// (The days 6 to 14 October 1582, which the change of calendar skipped,
    /// give the numbers of 26 September to 4 October.) Years count
    /// astronomically: year 0 is 1 BC, and the formula holds from year -4799 on.
    /// `long` is 32 bits on Windows: beyond about 5.8 million years from now a
    /// day number does not fit there, though Set still computes it in 64 bits.
    static long ComputeJulianDateNumber(int year, int month, int day);
    /// The time of day in hours: hour + minute / 60 + second / 3600.
    static double ComputeDecimalHours(float hour, float minute, float second);
    /// The day fraction from noon, in Universal Time (local time minus zone):
    /// what a local time adds to a Julian day number, -0.5 at midnight UT.
    /// `zone` is in hours east of Universal Time.
    static double ComputeTimeOffset(float hour, float minute, float second, float zone);

    /// Sets the moment from a calendar date (read as ComputeJulianDateNumber
    /// reads it) and a local time `zone` hours east of Universal Time.
    void Set(int year, int month, int day, float hour, float minute, float second, float zone);
    /// Sets the moment from a Julian day number and a local time of that day,
    /// `zone` hours east of Universal Time.
    void Set(long julianDayNumber, float hour, float minute, float second, float zone);
    /// The Julian date.
    double GetJulianDate() const { return _dJulianDate; }

    /// The sun's position seen from a place at this moment.
    ///
    /// @param latitude degrees, positive north.
    /// @param longitude degrees, positive east.
    /// @param azimuth receives degrees from north towards east, 0 to 360.
    /// @param elevation receives degrees above the horizon, negative below;
    ///        corrected for parallax, not for refraction. Always a number from
    ///        -90 to 90 for a place given in numbers: exactly 90 straight under
    ///        the sun.
    void GetSunPosition(double latitude, double longitude, double& azimuth, double& elevation) const;
    /// A unit vector towards the sun: (-cos a cos e, sin a cos e, sin e), with a
    /// and e the azimuth and elevation of GetSunPosition, in the frame +x south,
    /// +y east, +z up.
    Vector3f GetSunVector(double latitude, double longitude) const;

private:
    double _dJulianDate;
};

}  // namespace Vexir
