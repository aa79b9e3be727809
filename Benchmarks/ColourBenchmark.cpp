// Nanoseconds per call of the colour and sun computations. No peer: each must
// stay below a microsecond.
#include <Vexir/Color.h>
#include <Vexir/Date.h>

#include <benchmark/benchmark.h>

namespace {

void BM_SpectrumToXYZ(benchmark::State& state)
{
    const Vexir::ColorConverter converter;
    const Vexir::SpectrumUniform& d65 = Vexir::Get_CIE_Light_D65();
    for (auto _ : state) {
        Vexir::Color_CIE_XYZ xyz = converter.SpectrumToXYZ(d65, Vexir::CIE_1931_2DEG);
        benchmark::DoNotOptimize(xyz);
    }
}
BENCHMARK(BM_SpectrumToXYZ);

void BM_Create_DT_Spectrum(benchmark::State& state)
{
    Vexir::SpectrumUniform spectrum;
    float kelvin = 4000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(spectrum.Create_DT_Spectrum(kelvin));
        kelvin = kelvin < 25000 ? kelvin + 7 : 4000;
    }
}
BENCHMARK(BM_Create_DT_Spectrum);

void BM_GetSunPosition(benchmark::State& state)
{
    Vexir::Date date;
    date.Set(2026, 6, 21, 12, 0, 0, 2);
    double azimuth = 0, elevation = 0, latitude = 48.137;
    for (auto _ : state) {
        date.GetSunPosition(latitude, 11.575, azimuth, elevation);
        benchmark::DoNotOptimize(azimuth);
        benchmark::DoNotOptimize(elevation);
        latitude = latitude < 60 ? latitude + 0.001 : 48.137;
    }
}
BENCHMARK(BM_GetSunPosition);

}  // namespace
