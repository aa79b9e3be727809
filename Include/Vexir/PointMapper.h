// Warps sample points, typically in [-1, 1] x [-1, 1], onto the unit disc or
// the unit sphere, in place. The mappings keep relative area, so uniform samples
// stay uniform. Values outside the square go through the same formulas.
//
//   MapDiscConcentric: (1, 0) => (1, 0), (0, 1) => (0, 1), (1, 1) => the circle
//                      at 45 degrees; the square's edge becomes the circle
//   MapDiscPolar:      x = -1 is the centre, x = 1 the rim; y goes once round
//   MapSphere:         y = -1 is the pole (0, 0, 1), y = 1 the pole (0, 0, -1)
//
// The disc mappings then turn the points clockwise by `angle` degrees when it is
// not 0. Every function handles `count` points (none when count < 1) and returns
// true, or false for a null array.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

class VEXIR_API PointMapper {
public:
    static bool MapDiscConcentric(float* x, float* y, int count, float angle);
    static bool MapDiscConcentric(Vector2f* points, int count, float angle);
    static bool MapDiscPolar(float* x, float* y, int count, float angle);
    static bool MapDiscPolar(Vector2f* points, int count, float angle);
    // Reads x and y, writes x, y and z. Four points at a time with four-wide
    // sine and cosine when the arrays do not overlap; the results agree with the
    // one-point formulas within a few units in the last place.
    static bool MapSphere(float* x, float* y, float* z, int count);
    // Reads each point's x and y (z is ignored) and writes all three.
    static bool MapSphere(Vector3f* points, int count);
};

}  // namespace Vexir
