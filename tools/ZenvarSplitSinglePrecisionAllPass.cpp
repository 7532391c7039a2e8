#include "tools/ZenvarSplitSinglePrecisionAllPass.h"

#include <cmath>

namespace
{
/** tan (w) rounded to the nearest float, or to the float on the other side of the exact value. */
float faithfulTangent (float w, bool otherRounding) noexcept
{
    const auto exact = std::tan ((double) w);
    const auto nearest = (float) exact;

    if (! otherRounding)
        return nearest;

    return std::nextafter (nearest, (double) nearest < exact ? INFINITY : -INFINITY);
}
} // namespace

float ZenvarSplitSinglePrecisionAllPass::Section::processSample (float input) noexcept
{
    const auto v = (feedback2 * delay2 + feedback1 * delay1) + input;
    const auto output = ((middleTap * delay1 + v) + delay2) * gain;
    delay2 = delay1;
    delay1 = v;
    return output;
}

void ZenvarSplitSinglePrecisionAllPass::CrossoverAllPass::design (float sampleRate, float cutoffHz, bool otherTangentRounding) noexcept
{
    const auto pi = 3.14159274f;
    const auto sinOfThreeQuarterPi = 0.70710677f;

    const auto w = (cutoffHz * pi) / sampleRate;
    const auto g = faithfulTangent (w, otherTangentRounding);
    const auto p = g * g;
    const auto q = (g + g) * sinOfThreeQuarterPi;
    const auto d = (p + q) + 1.0f;
    const auto feedback1 = ((1.0f - p) + (1.0f - p)) / d;
    const auto feedback2 = (0.0f - ((p - q) + 1.0f)) / d;

    for (auto& section : lowSections)
        section = { feedback1, feedback2, p / d, 2.0f };

    for (auto& section : highSections)
        section = { feedback1, feedback2, 1.0f / d, -2.0f };
}

float ZenvarSplitSinglePrecisionAllPass::CrossoverAllPass::processSample (float input) noexcept
{
    const auto low = lowSections[1].processSample (lowSections[0].processSample (input));
    const auto high = highSections[1].processSample (highSections[0].processSample (input));
    return high + low;
}

void ZenvarSplitSinglePrecisionAllPass::prepare (double sampleRate, const std::array<float, 3>& crossoversHz, int roundingVariant)
{
    for (size_t i = 0; i < allPasses.size(); ++i)
        allPasses[i].design ((float) sampleRate, crossoversHz[i], (roundingVariant & (1 << i)) != 0);
}

float ZenvarSplitSinglePrecisionAllPass::processSample (float input) noexcept
{
    auto output = input;

    for (auto& allPass : allPasses)
        output = allPass.processSample (output);

    return output;
}
