// A moment as a Julian date, and the sun's position for a place at that moment
// (the PSA sun-position algorithm; no refraction correction).
//
//   Date date;
//   date.Set(2026, 6, 21, 12, 0, 0, 2);   // local noon, two hours east of UT
//   double azimuth, elevation;
//   date.GetSunPosition(48.137, 11.575, azimuth, elevation);
//
// Latitude is positive north, longitude positive east, in degrees. Azimuth runs
// from north towards east, 0 to 360 degrees; elevation is negative below the
// horizon. The sun vector's frame is +x south, +y east, +z up.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

class VEXIR_API Date {
public:
    Date() : _dJulianDate(0) {}

    // The Julian day number; dates before 15 October 1582 are read in the
    // Julian calendar, later ones in the Gregorian: 1 January 2000 => 2451545.
    // `long` is 32 bits on Windows: beyond about 5.8 million years from now a
    // day number does not fit there, though Set still computes it in 64 bits.
    static long ComputeJulianDateNumber(int year, int month, int day);
    static double ComputeDecimalHours(float hour, float minute, float second);
    // The day fraction from noon, in Universal Time (local time minus zone).
    static double ComputeTimeOffset(float hour, float minute, float second, float zone);

    void Set(int year, int month, int day, float hour, float minute, float second, float zone);
    void Set(long julianDayNumber, float hour, float minute, float second, float zone);
    double GetJulianDate() const { return _dJulianDate; }

    void GetSunPosition(double latitude, double longitude, double& azimuth, double& elevation) const;
    // A unit vector towards the sun: (-cos a cos e, sin a cos e, sin e).
    Vector3f GetSunVector(double latitude, double longitude) const;

private:
    double _dJulianDate;
};

}  // namespace Vexir
