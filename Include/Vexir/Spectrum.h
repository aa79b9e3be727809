// Sampled spectral power distributions, wavelengths in nanometres.
//
//   SpectrumUniform s;
//   s.InitSpectra(380, 780, 5.0f);   // 80 samples, 380 to 775 nm; 780 ends the last interval
//   s.InitSpectra(380, 780, 81);     // 81 samples, 380 to 780 nm, step 5
//   s.GetInterpolated(382.5f)        // the mean of the first two samples
//   s.GetInterpolated(781)           // 0: a uniform spectrum is zero outside its range
//
// An irregular spectrum holds its end values outside its range. Copies are deep.
#pragma once

#include <Vexir/VexirExport.h>

namespace Vexir {

class VEXIR_API SpectrumUniform {
public:
    SpectrumUniform();
    // Initialised with the count form, then filled from `source` (count values).
    SpectrumUniform(float min, float max, int count, const float* source);
    // Initialised with the step form, then filled from `source`.
    SpectrumUniform(float min, float max, float step, const float* source);
    SpectrumUniform(const SpectrumUniform& other);
    SpectrumUniform& operator=(const SpectrumUniform& other);
    ~SpectrumUniform();

    // `count` samples from min to max inclusive; false (and empty) when count < 2
    // or min >= max. The samples are left unset.
    bool InitSpectra(float min, float max, int count);
    // Samples every `step` from min; max ends the last interval and is no sample.
    // False (and empty) when step <= 0 or min >= max, when the range is shorter
    // than one step, and for 10^8 intervals or more (or a NaN anywhere).
    bool InitSpectra(float min, float max, float step);
    // Linear between samples; 0 outside [min, max], for a NaN wavelength and
    // with no data; the last sample from there up to max.
    float GetInterpolated(float wavelength) const;

    int GetNumData() const { return _iCount; }
    float GetMinWaveLen() const { return _fMin; }
    float GetMaxWaveLen() const { return _fMax; }
    float GetWaveLenStep() const { return _fStep; }
    // Writable, for filling after InitSpectra; invalid after the next one.
    float* GetDataPtr() const { return _pData; }

    // Planck's law at 380 to 775 nm without the factor 2hc^2, scaled by 1e-28.
    bool Create_BB_Spectrum(float kelvin);
    // CIE daylight at a correlated colour temperature of 4000 to 25000 K (100 at
    // 560 nm); false outside that range, leaving 80 unset samples.
    bool Create_DT_Spectrum(float kelvin);

private:
    void Release();

    float* _pData;
    int _iCount;
    float _fMin;
    float _fMax;
    float _fStep;
};

class VEXIR_API SpectrumIrregular {
public:
    SpectrumIrregular();
    SpectrumIrregular(int count, const float* wavelengths, const float* amplitudes);
    SpectrumIrregular(const SpectrumIrregular& other);
    SpectrumIrregular& operator=(const SpectrumIrregular& other);
    ~SpectrumIrregular();

    // Sizes both arrays for `count` ascending wavelengths (filled by the caller);
    // false when count < 2 or the first wavelength is not below the last.
    bool InitSpectra(int count, const float* wavelengths);
    // The end values outside the range; 0 when empty or for a NaN wavelength.
    float GetInterpolated(float wavelength) const;

    int GetNumData() const { return _iCount; }
    float GetMinWaveLen() const { return _fMin; }
    float GetMaxWaveLen() const { return _fMax; }
    float* GetWaveLengthDataPtr() const { return _pWavelengths; }
    float* GetAmplitudeDataPtr() const { return _pAmplitudes; }

private:
    void Release();

    float* _pWavelengths;
    float* _pAmplitudes;
    int _iCount;
    float _fMin;
    float _fMax;
};

// The CIE standard illuminants, 80 samples at 5 nm from 380 to 775 nm (CIE 15).
// A, B and C are the exact CIE curves divided by 216.12, the value of A at
// 730 nm, rather than rounded scale figures: A is 0.0453 at 380 nm, B 0.1036
// and C 0.1527 there. D65 is the CIE table to
// one decimal (100 at 560 nm). F is the CIE F2 lamp scaled so that its
// largest value (the mercury line at 435 nm) is 1.
VEXIR_API const SpectrumUniform& Get_CIE_Light_A();
VEXIR_API const SpectrumUniform& Get_CIE_Light_B();
VEXIR_API const SpectrumUniform& Get_CIE_Light_C();
VEXIR_API const SpectrumUniform& Get_CIE_Light_D65();
VEXIR_API const SpectrumUniform& Get_CIE_Light_F();

}  // namespace Vexir
