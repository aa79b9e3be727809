/// @file
/// Sampled spectral power distributions, wavelengths in nanometres.
///
/// @code
///   SpectrumUniform s;
///   s.InitSpectra(380, 780, 5.0f);   // 80 samples, 380 to 775 nm; 780 ends the last interval
///   s.InitSpectra(380, 780, 81);     // 81 samples, 380 to 780 nm, step 5
///   s.GetInterpolated(382.5f)        // the mean of the first two samples
///   s.GetInterpolated(781)           // 0: a uniform spectrum is zero outside its range
/// @endcode
///
/// An irregular spectrum holds its end values outside its range. Copies are deep.
///
/// The CIE standard illuminants, Get_CIE_Light_A() to Get_CIE_Light_F(), have
/// 80 samples at 5 nm from 380 to 775 nm (CIE 15). A, B and C are the exact CIE
/// curves divided by 216.12, the value of A at 730 nm, rather than rounded
/// scale figures: A is 0.0453 at 380 nm, B 0.1036 and C 0.1527 there. D65 is
/// the CIE table to one decimal (100 at 560 nm). F is the CIE F2 lamp scaled so
/// that its largest value (the mercury line at 435 nm) is 1. Each is made on
/// first use and lives as long as the program; if its samples cannot be
/// allocated the call throws std::bad_alloc and the next call tries again.
#pragma once

#include <Vexir/VexirExport.h>

namespace Vexir {

/// A spectrum sampled at equal steps, wavelengths in nanometres.
///
/// The count form of InitSpectra() puts samples on both ends of the range; the
/// step form puts none on the upper end, which closes the last interval.
class VEXIR_API SpectrumUniform {
public:
    /// An empty spectrum: no samples, and the range reads 370 to 870 nm by 5.
    SpectrumUniform();
    /// Initialised with the count form, then filled from `source` (count values).
    /// A null `source` leaves the samples unset; a failed initialisation leaves
    /// the spectrum empty.
    SpectrumUniform(float min, float max, int count, const float* source);
    /// Initialised with the step form, then filled from `source`, which must
    /// hold GetNumData() values. A null `source` leaves the samples unset; a
    /// failed initialisation leaves the spectrum empty.
    SpectrumUniform(float min, float max, float step, const float* source);
    /// A deep copy of `other`.
    SpectrumUniform(const SpectrumUniform& other);
    /// Replaces this spectrum with a deep copy of `other`.
    SpectrumUniform& operator=(const SpectrumUniform& other);
    /// Frees the samples.
    ~SpectrumUniform();

    /// `count` samples from min to max inclusive; false (and empty) when count < 2
    /// or min >= max. The samples are left unset.
    ///
    /// Earlier samples are freed first. The step becomes
    /// (max - min) / (count - 1); it must be a finite number above 0, so an end
    /// that is infinite or NaN, a range wider than a float holds
    /// (-3e38 to 3e38) and one too narrow to part into count - 1 steps
    /// (1e-45 to 3e-45 in 81 samples) are refused as well.
    bool InitSpectra(float min, float max, int count);
    /// Samples every `step` from min; max ends the last interval and is no sample.
    /// False (and empty) when step <= 0 or min >= max, when the range is shorter
    /// than one step, and for 10^8 intervals or more (or a NaN or an infinity
    /// anywhere).
    ///
    /// There are (max - min) / step samples, rounded down. Earlier samples are
    /// freed first; the new ones are left unset.
    bool InitSpectra(float min, float max, float step);
    /// Linear between samples; 0 outside [min, max], for a NaN wavelength and
    /// with no data; the last sample from there up to max.
    float GetInterpolated(float wavelength) const;

    /// The number of samples; 0 when empty.
    int GetNumData() const { return _iCount; }
    /// The wavelength of the first sample, in nm.
    float GetMinWaveLen() const { return _fMin; }
    /// The upper end of the range, in nm: the last sample for the count form,
    /// the end of the last interval for the step form.
    float GetMaxWaveLen() const { return _fMax; }
    /// The distance between samples, in nm.
    float GetWaveLenStep() const { return _fStep; }
    /// Writable, for filling after InitSpectra; invalid after the next one.
    /// Null when the spectrum is empty.
    float* GetDataPtr() const { return _pData; }

    /// Planck's law at 380 to 775 nm without the factor 2hc^2, scaled by 1e-28.
    ///
    /// Replaces the spectrum with 80 samples at 5 nm for a black body at
    /// `kelvin`: 1e-28 / (L^5 (exp(hc / (L k T)) - 1)) with the wavelength L in
    /// metres. False when the samples cannot be allocated, and for a
    /// temperature that is not a finite number above 0 (leaving 80 unset
    /// samples, as Create_DT_Spectrum() does).
    bool Create_BB_Spectrum(float kelvin);
    /// CIE daylight at a correlated colour temperature of 4000 to 25000 K (100 at
    /// 560 nm); false outside that range and for NaN, leaving 80 unset samples.
    ///
    /// The samples are those of Create_BB_Spectrum(): 380 to 775 nm by 5.
    bool Create_DT_Spectrum(float kelvin);

private:
    void Release();

    float* _pData;
    int _iCount;
    float _fMin;
    float _fMax;
    float _fStep;
};

/// A spectrum sampled at ascending wavelengths, not necessarily equally spaced,
/// in nanometres.
class VEXIR_API SpectrumIrregular {
public:
    /// An empty spectrum.
    SpectrumIrregular();
    /// `count` samples copied from `wavelengths` and `amplitudes`; a null
    /// `amplitudes` gives zeros. Empty when InitSpectra(int, const float*) fails.
    SpectrumIrregular(int count, const float* wavelengths, const float* amplitudes);
    /// A deep copy of `other`.
    SpectrumIrregular(const SpectrumIrregular& other);
    /// Replaces this spectrum with a deep copy of `other`.
    SpectrumIrregular& operator=(const SpectrumIrregular& other);
    /// Frees the samples.
    ~SpectrumIrregular();

    /// Sizes both arrays for `count` ascending wavelengths (filled by the caller);
    /// false when count < 2 or the first wavelength is not below the last.
    ///
    /// Only the first and last of `wavelengths` are read, for the range; nothing
    /// is copied: fill both arrays through GetWaveLengthDataPtr() and
    /// GetAmplitudeDataPtr(). A null `wavelengths` also gives false, and a
    /// failure leaves the spectrum empty.
    bool InitSpectra(int count, const float* wavelengths);
    /// Linear between the neighbouring samples. The end values outside the
    /// range; 0 when empty or for a NaN wavelength.
    float GetInterpolated(float wavelength) const;

    /// The number of samples; 0 when empty.
    int GetNumData() const { return _iCount; }
    /// The first wavelength given to InitSpectra(), in nm.
    float GetMinWaveLen() const { return _fMin; }
    /// The last wavelength given to InitSpectra(), in nm.
    float GetMaxWaveLen() const { return _fMax; }
    /// The wavelengths, writable; null when empty.
    float* GetWaveLengthDataPtr() const { return _pWavelengths; }
    /// The amplitudes, writable; null when empty.
    float* GetAmplitudeDataPtr() const { return _pAmplitudes; }

private:
    void Release();

    float* _pWavelengths;
    float* _pAmplitudes;
    int _iCount;
    float _fMin;
    float _fMax;
};

/// CIE illuminant A (a tungsten-filament lamp), divided by 216.12: 1 at 730 nm.
VEXIR_API const SpectrumUniform& Get_CIE_Light_A();
/// CIE illuminant B, divided by 216.12 as A is.
VEXIR_API const SpectrumUniform& Get_CIE_Light_B();
/// CIE illuminant C, divided by 216.12 as A is.
VEXIR_API const SpectrumUniform& Get_CIE_Light_C();
/// CIE illuminant D65 to one decimal, 100 at 560 nm: unlike the others it is
/// not scaled near 1.
VEXIR_API const SpectrumUniform& Get_CIE_Light_D65();
/// The CIE F2 fluorescent lamp, scaled so that its mercury line at 435 nm is 1.
VEXIR_API const SpectrumUniform& Get_CIE_Light_F();

}  // namespace Vexir
