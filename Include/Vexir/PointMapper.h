/// @file
/// Warps sample points, typically in [-1, 1] x [-1, 1], onto the unit disc or
/// the unit sphere, in place. The mappings keep relative area, so uniform samples
/// stay uniform. Values outside the square go through the same formulas.
///
/// @code{.unparsed}
///   MapDiscConcentric: (1, 0) => (1, 0), (0, 1) => (0, 1), (1, 1) => the circle
///                      at 45 degrees; the square's edge becomes the circle
///   MapDiscPolar:      x = -1 is the centre, x = 1 the rim; y goes once round
///   MapSphere:         y = -1 is the pole (0, 0, 1), y = 1 the pole (0, 0, -1)
/// @endcode
///
/// The disc mappings then turn the points clockwise by `angle` degrees when it is
/// not 0. Every function handles `count` points (none when count < 1) and returns
/// true, or false for a null array (when count > 0).
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

/// Area-preserving mappings of sample points from the square [-1, 1] x [-1, 1]
/// onto the unit disc or the unit sphere, in place; see the file description.
class VEXIR_API PointMapper {
public:
    /// Maps `count` points, held in the separate arrays `x` and `y`, onto the
    /// disc with the concentric mapping (squares about the centre become
    /// circles), then turns them clockwise by `angle` degrees unless it is 0.
    static bool MapDiscConcentric(float* x, float* y, int count, float angle);
    /// MapDiscConcentric(float*, float*, int, float) for an array of points.
    static bool MapDiscConcentric(Vector2f* points, int count, float angle);
    /// Maps `count` points, held in the separate arrays `x` and `y`, onto the
    /// disc with the polar mapping (radius sqrt((x + 1) / 2), angle (y + 1) pi
    /// anticlockwise from +x), then turns them clockwise by `angle` degrees
    /// unless it is 0. An x below -1 gives NaN.
    static bool MapDiscPolar(float* x, float* y, int count, float angle);
    /// MapDiscPolar(float*, float*, int, float) for an array of points.
    static bool MapDiscPolar(Vector2f* points, int count, float angle);
    /// Reads x and y, writes x, y and z. Four points at a time with four-wide
    /// sine and cosine when the arrays do not overlap; the results agree with the
    /// one-point formulas within a few units in the last place.
    ///
    /// The point lands at height z = -y, at the angle (x + 1) pi about the z axis.
    static bool MapSphere(float* x, float* y, float* z, int count);
    /// Reads each point's x and y (z is ignored) and writes all three, one
    /// point at a time with the one-point formulas.
    static bool MapSphere(Vector3f* points, int count);
};

}  // namespace Vexir
