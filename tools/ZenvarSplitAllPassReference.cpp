#include "tools/ZenvarSplitAllPassReference.h"

#include <cmath>

namespace
{
/** The coefficients of one Butterworth section as the plug-in computes them: every step in
    single precision, in the same order, with the tangent rounded from double precision. */
struct SectionDesign
{
    float feedback1, feedback2, lowPassGain, highPassGain;
};

SectionDesign designSection (float sampleRate, float cutoffHz) noexcept
{
    const auto pi = 3.14159274f;
    const auto sinOfThreeQuarterPi = 0.70710677f;

    const auto w = (cutoffHz * pi) / sampleRate;
    const auto g = (float) std::tan ((double) w);
    const auto p = g * g;
    const auto q = (g + g) * sinOfThreeQuarterPi;
    const auto d = (p + q) + 1.0f;

    return { ((1.0f - p) + (1.0f - p)) / d,
             (0.0f - ((p - q) + 1.0f)) / d,
             p / d,
             1.0f / d };
}
} // namespace

//==============================================================================
template <typename SampleType>
SampleType ZenvarSplitAllPassReference<SampleType>::Section::processSample (SampleType input) noexcept
{
    const auto v = (feedback2 * delay2 + feedback1 * delay1) + input;
    const auto output = ((middleTap * delay1 + v) + delay2) * gain;
    delay2 = delay1;
    delay1 = v;
    return output;
}

template <typename SampleType>
void ZenvarSplitAllPassReference<SampleType>::CrossoverAllPass::design (float sampleRate, float cutoffHz) noexcept
{
    const auto coefficients = designSection (sampleRate, cutoffHz);

    for (auto& section : lowSections)
    {
        section.feedback1 = (SampleType) coefficients.feedback1;
        section.feedback2 = (SampleType) coefficients.feedback2;
        section.gain = (SampleType) coefficients.lowPassGain;
        section.middleTap = (SampleType) 2;
    }

    for (auto& section : highSections)
    {
        section.feedback1 = (SampleType) coefficients.feedback1;
        section.feedback2 = (SampleType) coefficients.feedback2;
        section.gain = (SampleType) coefficients.highPassGain;
        section.middleTap = (SampleType) -2;
    }
}

template <typename SampleType>
SampleType ZenvarSplitAllPassReference<SampleType>::CrossoverAllPass::processSample (SampleType input) noexcept
{
    const auto low = lowSections[1].processSample (lowSections[0].processSample (input));
    const auto high = highSections[1].processSample (highSections[0].processSample (input));
    return high + low;
}

//==============================================================================
template <typename SampleType>
void ZenvarSplitAllPassReference<SampleType>::prepare (double sampleRate, const std::array<float, 3>& crossoversHz)
{
    for (size_t i = 0; i < allPasses.size(); ++i)
        allPasses[i].design ((float) sampleRate, crossoversHz[i]);

    reset();
}

template <typename SampleType>
void ZenvarSplitAllPassReference<SampleType>::reset() noexcept
{
    for (auto& allPass : allPasses)
        for (auto* sections : { &allPass.lowSections, &allPass.highSections })
            for (auto& section : *sections)
                section.delay1 = section.delay2 = SampleType {};
}

template <typename SampleType>
SampleType ZenvarSplitAllPassReference<SampleType>::processSample (SampleType input) noexcept
{
    auto output = input;

    for (auto& allPass : allPasses)
        output = allPass.processSample (output);

    return output;
}

template class ZenvarSplitAllPassReference<float>;
template class ZenvarSplitAllPassReference<double>;
