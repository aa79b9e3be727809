#include <Vexir/Spectrum.h>

#include <cmath>
#include <cstring>
#include <new>

#include "Math/ColourTables.h"

namespace Vexir {

namespace {

const float kDefaultMin = 370, kDefaultMax = 870, kDefaultStep = 5;

float* CopyOf(const float* source, int count)
{
    if (!source || count <= 0)
        return nullptr;
    float* copy = new float[count];
    std::memcpy(copy, source, sizeof(float) * static_cast<std::size_t>(count));
    return copy;
}

}  // namespace

SpectrumUniform::SpectrumUniform()
    : _pData(nullptr), _iCount(0), _fMin(kDefaultMin), _fMax(kDefaultMax), _fStep(kDefaultStep)
{
}

SpectrumUniform::SpectrumUniform(float min, float max, int count, const float* source) : SpectrumUniform()
{
    if (InitSpectra(min, max, count) && source)
        std::memcpy(_pData, source, sizeof(float) * static_cast<std::size_t>(_iCount));
}

SpectrumUniform::SpectrumUniform(float min, float max, float step, const float* source) : SpectrumUniform()
{
    if (InitSpectra(min, max, step) && source)
        std::memcpy(_pData, source, sizeof(float) * static_cast<std::size_t>(_iCount));
}

SpectrumUniform::SpectrumUniform(const SpectrumUniform& other)
    : _pData(CopyOf(other._pData, other._iCount)), _iCount(_pData ? other._iCount : 0), _fMin(other._fMin),
      _fMax(other._fMax), _fStep(other._fStep)
{
}

SpectrumUniform& SpectrumUniform::operator=(const SpectrumUniform& other)
{
    if (this != &other) {
        float* data = CopyOf(other._pData, other._iCount);
        Release();
        _pData = data;
        _iCount = data ? other._iCount : 0;
        _fMin = other._fMin;
        _fMax = other._fMax;
        _fStep = other._fStep;
    }
    return *this;
}

SpectrumUniform::~SpectrumUniform() { Release(); }

void SpectrumUniform::Release()
{
    delete[] _pData;
    _pData = nullptr;
    _iCount = 0;
}

bool SpectrumUniform::InitSpectra(float min, float max, int count)
{
    Release();
    if (count < 2 || !(min < max))
        return false;
    // The step must be a number above 0: a range wider than the floats reach
    // gives an infinite step and a range narrower than the samples a zero one,
    // and either would put every reading at a wavelength that is no number.
    const float step = (max - min) / static_cast<float>(count - 1);
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(step) || !(step > 0))
        return false;
    _pData = new (std::nothrow) float[count];
    if (!_pData)
        return false;
    _fMin = min;
    _fMax = max;
    _iCount = count;
    _fStep = step;
    return true;
}

bool SpectrumUniform::InitSpectra(float min, float max, float step)
{
    Release();
    if (!(step > 0) || !(min < max) || !std::isfinite(min) || !std::isfinite(max) || !std::isfinite(step))
        return false;
    const float intervals = (max - min) / step;
    if (!(intervals < 1e8f) || intervals < 1)
        return false;
    const int count = static_cast<int>(intervals);
    _pData = new (std::nothrow) float[count];
    if (!_pData)
        return false;
    _fMin = min;
    _fMax = max;
    _fStep = step;
    _iCount = count;
    return true;
}

float SpectrumUniform::GetInterpolated(float wavelength) const
{
    if (!_pData || _iCount == 0 || std::isnan(wavelength) || wavelength < _fMin || wavelength > _fMax)
        return 0;
    const float t = (wavelength - _fMin) / _fStep;
    if (!(t >= 0))
        return 0;
    const int i = static_cast<int>(t);
    if (i + 1 >= _iCount)
        return _pData[_iCount - 1];
    const float f = t - static_cast<float>(i);
    return (1 - f) * _pData[i] + f * _pData[i + 1];
}

bool SpectrumUniform::Create_BB_Spectrum(float kelvin)
{
    // No body has a temperature of 0 or below, or one that is no number; such
    // a temperature would give samples that are no numbers.
    if (!InitSpectra(380, 780, 5.0f) || !(kelvin > 0) || !std::isfinite(kelvin))
        return false;
    const double hc = 1.9864847851995999e-25;
    const double boltzmann = 1.38066e-23;
    const double temperature = kelvin;
    double wavelength = 3.8e-7;
    for (int i = 0; i < _iCount; ++i, wavelength += 5e-9) {
        const double squared = wavelength * wavelength;
        const double fifth = squared * squared * wavelength;
        _pData[i] = static_cast<float>(1e-28 / ((std::exp(hc / ((wavelength * boltzmann) * temperature)) - 1) * fifth));
    }
    return true;
}

bool SpectrumUniform::Create_DT_Spectrum(float kelvin)
{
    if (!InitSpectra(380, 780, 5.0f))
        return false;
    if (!(kelvin >= 4000 && kelvin <= 25000) || _iCount != kColourSamples)
        return false;
    // Chromaticity of daylight at that temperature (CIE 15), squares and cubes
    // of the temperature formed in single precision.
    const float squared = kelvin * kelvin;
    const float cubed = kelvin * kelvin * kelvin;
    const double a = 1e6 / static_cast<double>(squared);
    const double b = 1e9 / static_cast<double>(cubed);
    const double c = 1000.0 / static_cast<double>(kelvin);
    const double x = kelvin < 7000 ? 2.9678 * a - 4.607 * b + 0.09911 * c + 0.244063
                                   : 1.9018 * a - 2.0064 * b + 0.24748 * c + 0.23704;
    const double y = 2.87 * x - 3.0 * (x * x) - 0.275;
    // Weights of the basis functions.
    const double m = 0.2562 * x + 0.0241 - 0.7341 * y;
    const double m1 = (5.9114 * y - (1.7703 * x + 1.3515)) / m;
    const double m2 = (0.03 - 31.4424 * x + 30.0717 * y) / m;
    for (int i = 0; i < kColourSamples; ++i)
        _pData[i] = static_cast<float>(kDaylightS1[i] * m1 + kDaylightS0[i] + kDaylightS2[i] * m2);
    return true;
}

SpectrumIrregular::SpectrumIrregular()
    : _pWavelengths(nullptr), _pAmplitudes(nullptr), _iCount(0), _fMin(kDefaultMin), _fMax(kDefaultMax)
{
}

SpectrumIrregular::SpectrumIrregular(int count, const float* wavelengths, const float* amplitudes)
    : SpectrumIrregular()
{
    if (!InitSpectra(count, wavelengths))
        return;
    std::memcpy(_pWavelengths, wavelengths, sizeof(float) * static_cast<std::size_t>(count));
    if (amplitudes)
        std::memcpy(_pAmplitudes, amplitudes, sizeof(float) * static_cast<std::size_t>(count));
    else
        std::memset(_pAmplitudes, 0, sizeof(float) * static_cast<std::size_t>(count));
}

SpectrumIrregular::SpectrumIrregular(const SpectrumIrregular& other) : SpectrumIrregular() { *this = other; }

SpectrumIrregular& SpectrumIrregular::operator=(const SpectrumIrregular& other)
{
    if (this != &other) {
        float* wavelengths = CopyOf(other._pWavelengths, other._iCount);
        float* amplitudes = CopyOf(other._pAmplitudes, other._iCount);
        Release();
        _pWavelengths = wavelengths;
        _pAmplitudes = amplitudes;
        _iCount = wavelengths && amplitudes ? other._iCount : 0;
        _fMin = other._fMin;
        _fMax = other._fMax;
    }
    return *this;
}

SpectrumIrregular::~SpectrumIrregular() { Release(); }

void SpectrumIrregular::Release()
{
    delete[] _pWavelengths;
    delete[] _pAmplitudes;
    _pWavelengths = _pAmplitudes = nullptr;
    _iCount = 0;
}

bool SpectrumIrregular::InitSpectra(int count, const float* wavelengths)
{
    Release();
    if (count < 2 || !wavelengths || !(wavelengths[0] < wavelengths[count - 1]))
        return false;
    _pWavelengths = new (std::nothrow) float[count];
    _pAmplitudes = new (std::nothrow) float[count];
    if (!_pWavelengths || !_pAmplitudes) {
        Release();
        return false;
    }
    _iCount = count;
    _fMin = wavelengths[0];
    _fMax = wavelengths[count - 1];
    return true;
}

float SpectrumIrregular::GetInterpolated(float wavelength) const
{
    if (_iCount == 0 || std::isnan(wavelength))
        return 0;
    if (wavelength <= _fMin)
        return _pAmplitudes[0];
    if (wavelength >= _fMax)
        return _pAmplitudes[_iCount - 1];
    int i = 0;
    for (;; ++i) {
        if (i > _iCount - 2)
            return _pAmplitudes[_iCount - 1];
        if (_pWavelengths[i] == wavelength)
            return _pAmplitudes[i];
        if (_pWavelengths[i + 1] > wavelength)
            break;
    }
    const float d = _pWavelengths[i + 1] - _pWavelengths[i];
    if (d == 0)
        return _pAmplitudes[i];
    const float f = (wavelength - _pWavelengths[i]) / d;
    return (1 - f) * _pAmplitudes[i] + f * _pAmplitudes[i + 1];
}

}  // namespace Vexir
