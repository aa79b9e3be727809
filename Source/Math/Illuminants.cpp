// The built-in illuminants: each made on first use from its table (a failed
// allocation leaves it to be made at the next call) and released at unload.
#include <Vexir/Spectrum.h>

#include <new>

#include "Math/ColourTables.h"

namespace Vexir {

namespace {

// Throws when the samples cannot be allocated, so that the next call tries again.
SpectrumUniform FromTable(const float* table)
{
    SpectrumUniform light(kColourFirstWavelength, 780.0f, kColourStep, table);
    if (light.GetNumData() != kColourSamples)
        throw std::bad_alloc();
    return light;
}

}  // namespace

const SpectrumUniform& Get_CIE_Light_A()
{
    static const SpectrumUniform s_light = FromTable(kIlluminantA);
    return s_light;
}

const SpectrumUniform& Get_CIE_Light_B()
{
    static const SpectrumUniform s_light = FromTable(kIlluminantB);
    return s_light;
}

const SpectrumUniform& Get_CIE_Light_C()
{
    static const SpectrumUniform s_light = FromTable(kIlluminantC);
    return s_light;
}

const SpectrumUniform& Get_CIE_Light_D65()
{
    static const SpectrumUniform s_light = FromTable(kIlluminantD65);
    return s_light;
}

const SpectrumUniform& Get_CIE_Light_F()
{
    static const SpectrumUniform s_light = FromTable(kIlluminantF2);
    return s_light;
}

}  // namespace Vexir
