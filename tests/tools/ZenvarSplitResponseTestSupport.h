#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cmath>
#include <complex>
#include <functional>

namespace zenvar::test
{

/** A sample rate and three crossovers to try an all-pass at. */
struct AllPassSetting
{
    double sampleRate;
    std::array<float, 3> crossoversHz;
};

inline const AllPassSetting allPassSettings[] = { { 48000.0, { 200.0f, 2000.0f, 8000.0f } },
                                                  { 44100.0, { 160.0f, 1000.0f, 5000.0f } },
                                                  { 96000.0, { 500.0f, 600.0f, 20000.0f } } };

inline const double allPassProbeFrequencies[] = { 30.0, 160.0, 200.0, 700.0, 1000.0, 3000.0, 8000.0, 15000.0 };

/** The bilinear transform, pre-warped by the tangent, of (s² - √2 s + 1) / (s² + √2 s + 1), which
    a Linkwitz-Riley low-pass and high-pass add up to, evaluated at `frequencyHz`. */
inline std::complex<double> idealCrossoverAllPass (double cutoffHz, double sampleRate, double frequencyHz)
{
    const auto g = std::tan (juce::MathConstants<double>::pi * cutoffHz / sampleRate);
    const auto d = g * g + std::sqrt (2.0) * g + 1.0;
    const auto a1 = 2.0 * (g * g - 1.0) / d;
    const auto a2 = (g * g - std::sqrt (2.0) * g + 1.0) / d;
    const auto z1 = std::polar (1.0, -juce::MathConstants<double>::twoPi * frequencyHz / sampleRate);
    return (a2 + a1 * z1 + z1 * z1) / (1.0 + a1 * z1 + a2 * z1 * z1);
}

/** The three crossovers' all-passes in cascade, at `frequencyHz`. */
inline std::complex<double> idealCascade (const AllPassSetting& setting, double frequencyHz)
{
    std::complex<double> response (1.0, 0.0);

    for (const auto crossover : setting.crossoversHz)
        response *= idealCrossoverAllPass (crossover, setting.sampleRate, frequencyHz);

    return response;
}

/** The response at `frequencyHz` of a filter fed one sample at a time, from its impulse response
    over one second. */
inline std::complex<double> measureResponse (const std::function<double (double)>& processSample, double sampleRate, double frequencyHz)
{
    std::complex<double> sum;

    for (int n = 0; n < (int) sampleRate; ++n)
        sum += processSample (n == 0 ? 1.0 : 0.0) * std::polar (1.0, -juce::MathConstants<double>::twoPi * frequencyHz * n / sampleRate);

    return sum;
}

} // namespace zenvar::test
