#include "FilterSection.h"

namespace zenvar
{

namespace
{
struct SharedTerms
{
    Float4 p;
    Float4 denominator;
    Float4 feedback1;
    Float4 feedback2;
};

Float4 limitWarpedAngle (Float4 w) noexcept
{
    const auto highest = Float4::broadcast (ButterworthDesign::maximumWarpedAngle);
    const auto lowest = Float4::broadcast (ButterworthDesign::minimumWarpedAngle);

    // Written so that NaN fails the first test and lands on the highest angle.
    const auto belowHighest = Float4::select (w < highest, w, highest);
    return Float4::select (belowHighest > lowest, belowHighest, lowest);
}

SharedTerms computeSharedTerms (Float4 cutoffHz, Float4 sampleRateHz) noexcept
{
    const auto one = Float4::broadcast (1.0f);
    const auto w = limitWarpedAngle ((cutoffHz * Float4::broadcast (3.14159274f)) / sampleRateHz);
    const auto g = tangent (w);
    const auto p = g * g;
    const auto q = (g + g) * Float4::broadcast (0.70710677f);
    const auto denominator = (p + q) + one;
    const auto feedback1 = ((one - p) + (one - p)) / denominator;
    const auto feedback2 = (Float4 {} - ((p - q) + one)) / denominator;
    return { p, denominator, feedback1, feedback2 };
}
} // namespace

ButterworthDesign ButterworthDesign::compute (Float4 cutoffHz, Float4 sampleRateHz) noexcept
{
    const auto terms = computeSharedTerms (cutoffHz, sampleRateHz);
    return { cutoffHz,
             terms.feedback1,
             terms.feedback2,
             terms.p / terms.denominator,
             Float4::broadcast (1.0f) / terms.denominator };
}

void FilterSection::designLowPass (Float4 cutoffHz) noexcept
{
    cutoff = cutoffHz;
    const auto terms = computeSharedTerms (cutoff, sampleRate);
    feedback1 = terms.feedback1;
    feedback2 = terms.feedback2;
    gain = terms.p / terms.denominator;
    middleTap = Float4::broadcast (2.0f);
}

void FilterSection::designHighPass (Float4 cutoffHz) noexcept
{
    cutoff = cutoffHz;
    const auto terms = computeSharedTerms (cutoff, sampleRate);
    feedback1 = terms.feedback1;
    feedback2 = terms.feedback2;
    gain = Float4::broadcast (1.0f) / terms.denominator;
    middleTap = Float4::broadcast (-2.0f);
}

} // namespace zenvar
