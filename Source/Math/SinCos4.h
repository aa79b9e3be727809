// Sine and cosine of four floats at once. Accurate to a couple of units in the
// last place for |angle| up to 8192; beyond that, and for NaN or infinite
// angles, Fits() is false and the caller uses the C library one by one.
#pragma once

namespace Vexir {

struct SinCos4 {
    static bool Fits(const float angles[4]);
    static void Compute(const float angles[4], float sines[4], float cosines[4]);
};

}  // namespace Vexir
