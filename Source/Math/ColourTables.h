// The CIE tables of the colour code, 80 samples at 5 nm from 380 to 775 nm,
// generated from the published tables by Tools/GenerateColourTables.py.
#pragma once

namespace Vexir {

constexpr int kColourSamples = 80;
constexpr float kColourFirstWavelength = 380.0f;
constexpr float kColourStep = 5.0f;

extern const float kCie1931X[kColourSamples];
extern const float kCie1931Y[kColourSamples];
extern const float kCie1931Z[kColourSamples];
extern const float kCie1964X[kColourSamples];
extern const float kCie1964Y[kColourSamples];
extern const float kCie1964Z[kColourSamples];
extern const float kDaylightS0[kColourSamples];
extern const float kDaylightS1[kColourSamples];
extern const float kDaylightS2[kColourSamples];
extern const float kIlluminantA[kColourSamples];
extern const float kIlluminantB[kColourSamples];
extern const float kIlluminantC[kColourSamples];
extern const float kIlluminantD65[kColourSamples];
extern const float kIlluminantF2[kColourSamples];

}  // namespace Vexir
