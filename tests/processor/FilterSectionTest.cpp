#include "processor/FilterSection.h"
#include "support/DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zenvar::test
{

namespace
{
struct ScalarDesign
{
    float feedback1, feedback2, lowPassGain, highPassGain;
};

/** The design steps one by one, in scalar single precision. */
ScalarDesign designStepByStep (float cutoff, float sampleRate)
{
    const auto w = (cutoff * 3.14159274f) / sampleRate;
    const auto g = tangent (Float4::broadcast (w)).getLane (0);
    const auto p = g * g;
    const auto q = (g + g) * 0.70710677f;
    const auto d = (p + q) + 1.0f;
    const auto feedback1 = ((1.0f - p) + (1.0f - p)) / d;
    const auto feedback2 = (0.0f - ((p - q) + 1.0f)) / d;
    return { feedback1, feedback2, p / d, 1.0f / d };
}

FilterSection makeSection (float sampleRate)
{
    FilterSection section;
    section.setSampleRate (sampleRate);
    return section;
}

/** Stable when the poles of 1 - feedback1·z⁻¹ - feedback2·z⁻² lie inside the unit circle. */
bool hasStablePoles (const FilterSection& section)
{
    const auto a1 = -static_cast<double> (section.getFeedback1().getLane (0));
    const auto a2 = -static_cast<double> (section.getFeedback2().getLane (0));
    return std::fabs (a2) < 1.0 && std::fabs (a1) < 1.0 + a2;
}
} // namespace

TEST (FilterSection, DesignAt1000HzAnd44100HzGivesTheKnownCoefficients)
{
    auto lowPass = makeSection (44100.0f);
    auto highPass = makeSection (44100.0f);
    lowPass.designLowPass (Float4::broadcast (1000.0f));
    highPass.designHighPass (Float4::broadcast (1000.0f));

    for (int lane = 0; lane < 4; ++lane)
    {
        EXPECT_NEAR (lowPass.getFeedback1().getLane (lane), 1.799096f, 2.0e-6f);
        EXPECT_NEAR (lowPass.getFeedback2().getLane (lane), -0.817512f, 2.0e-6f);
        EXPECT_NEAR (lowPass.getGain().getLane (lane), 0.00460400f, 2.0e-8f);
        EXPECT_EQ (lowPass.getMiddleTap().getLane (lane), 2.0f);
        EXPECT_NEAR (highPass.getGain().getLane (lane), 0.904152f, 2.0e-6f);
        EXPECT_EQ (highPass.getMiddleTap().getLane (lane), -2.0f);
        EXPECT_EQ (highPass.getCutoff().getLane (lane), 1000.0f);
    }

    EXPECT_TRUE (sameBits (lowPass.getFeedback1(), highPass.getFeedback1()));
    EXPECT_TRUE (sameBits (lowPass.getFeedback2(), highPass.getFeedback2()));
}

TEST (FilterSection, DesignFollowsTheStepsBitForBitAcrossCutoffsAndRates)
{
    for (const auto rate : { 22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f })
    {
        // Up to where the warped angle reaches its limit at this rate.
        for (auto cutoff = 20.0f; cutoff < rate * 0.4994f; cutoff *= 1.0173f)
        {
            SCOPED_TRACE (::testing::Message() << cutoff << " Hz at " << rate << " Hz");
            const auto expected = designStepByStep (cutoff, rate);
            auto lowPass = makeSection (rate);
            auto highPass = makeSection (rate);
            lowPass.designLowPass (Float4::broadcast (cutoff));
            highPass.designHighPass (Float4::broadcast (cutoff));

            ASSERT_TRUE (sameBits (lowPass.getFeedback1(), Float4::broadcast (expected.feedback1)));
            ASSERT_TRUE (sameBits (lowPass.getFeedback2(), Float4::broadcast (expected.feedback2)));
            ASSERT_TRUE (sameBits (lowPass.getGain(), Float4::broadcast (expected.lowPassGain)));
            ASSERT_TRUE (sameBits (highPass.getFeedback1(), Float4::broadcast (expected.feedback1)));
            ASSERT_TRUE (sameBits (highPass.getGain(), Float4::broadcast (expected.highPassGain)));
        }
    }
}

TEST (FilterSection, SharedDesignAppliesExactlyWhatADesignComputes)
{
    // Three cutoffs in three lanes, as the engine computes them, against one design each.
    const auto rate = 48000.0f;
    const auto shared = ButterworthDesign::compute (Float4::fromLanes (20.0f, 1234.5f, 20000.0f, 20000.0f), Float4::broadcast (rate));

    for (int lane = 0; lane < 3; ++lane)
    {
        SCOPED_TRACE (lane);
        const auto cutoff = Float4::broadcast (shared.cutoff.getLane (lane));
        auto designedLow = makeSection (rate), designedHigh = makeSection (rate);
        auto appliedLow = makeSection (rate), appliedHigh = makeSection (rate);
        designedLow.designLowPass (cutoff);
        designedHigh.designHighPass (cutoff);
        appliedLow.applyLowPass (shared.broadcastLane (lane));
        appliedHigh.applyHighPass (shared.broadcastLane (lane));

        for (const auto* pair : { &designedLow, &designedHigh })
        {
            const auto& applied = pair == &designedLow ? appliedLow : appliedHigh;
            EXPECT_TRUE (sameBits (pair->getCutoff(), applied.getCutoff()));
            EXPECT_TRUE (sameBits (pair->getFeedback1(), applied.getFeedback1()));
            EXPECT_TRUE (sameBits (pair->getFeedback2(), applied.getFeedback2()));
            EXPECT_TRUE (sameBits (pair->getGain(), applied.getGain()));
            EXPECT_TRUE (sameBits (pair->getMiddleTap(), applied.getMiddleTap()));
        }
    }
}

TEST (FilterSection, CutoffsAtOrAboveHalfTheRateAndNonsenseCutoffsStayFiniteAndStable)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto infinity = std::numeric_limits<float>::infinity();

    struct Case
    {
        float cutoff, rate;
    };

    for (const auto c : { Case { 20000.0f, 40000.0f }, Case { 20000.0f, 32000.0f }, Case { 20000.0f, 22050.0f }, Case { 11025.0f, 22050.0f }, Case { 15999.9f, 32000.0f }, Case { 1.0e9f, 8000.0f }, Case { 20.0f, 384000.0f }, Case { 20.0f, 768000.0f }, Case { 1.0f, 44100.0f }, Case { infinity, 44100.0f }, Case { nan, 44100.0f }, Case { 0.0f, 44100.0f }, Case { -100.0f, 44100.0f }, Case { 1000.0f, 0.0f } })
    {
        SCOPED_TRACE (::testing::Message() << c.cutoff << " Hz at " << c.rate << " Hz");

        for (const bool lowPass : { true, false })
        {
            auto section = makeSection (c.rate);
            lowPass ? section.designLowPass (Float4::broadcast (c.cutoff)) : section.designHighPass (Float4::broadcast (c.cutoff));
            EXPECT_TRUE (hasStablePoles (section));

            const auto noise = makeNoise (200000, 3);
            float peak = 0.0f;

            for (const auto s : noise)
                peak = std::max (peak, std::fabs (section.processSample (Float4::broadcast (s)).getLane (0)));

            EXPECT_TRUE (std::isfinite (peak));
            EXPECT_LT (peak, 10.0f);
        }
    }
}

TEST (FilterSection, EachSectionIsThreeDecibelsDownAtItsCutoff)
{
    for (const auto cutoff : { 100.0f, 1000.0f, 10000.0f })
    {
        for (const bool lowPass : { true, false })
        {
            SCOPED_TRACE (::testing::Message() << cutoff << (lowPass ? " Hz low-pass" : " Hz high-pass"));
            auto section = makeSection (44100.0f);
            lowPass ? section.designLowPass (Float4::broadcast (cutoff)) : section.designHighPass (Float4::broadcast (cutoff));
            const auto gain = measureSineGain ([&] (float x)
                                               { return section.processSample (Float4::broadcast (x)).getLane (0); },
                                               cutoff,
                                               44100.0);
            EXPECT_NEAR (toDecibels (gain), -3.0103, 0.005);
        }
    }
}

TEST (FilterSection, SilenceFromZeroStateStaysExactlyZeroInEveryLane)
{
    for (const auto cutoff : { 20.0f, 1000.0f, 20000.0f })
    {
        auto section = makeSection (44100.0f);
        section.designHighPass (Float4::broadcast (cutoff));

        for (int n = 0; n < 1000; ++n)
            ASSERT_TRUE (sameBits (section.processSample (Float4 {}), Float4 {}));
    }
}

TEST (FilterSection, RateChangesAndResetsTouchOnlyWhatTheySay)
{
    auto section = makeSection (44100.0f);
    section.designLowPass (Float4::broadcast (500.0f));

    for (int n = 0; n < 10; ++n)
        section.processSample (Float4::broadcast (1.0f));

    const auto before = section;
    section.setSampleRate (96000.0f);
    EXPECT_TRUE (sameBits (section.getFeedback1(), before.getFeedback1()));
    EXPECT_TRUE (sameBits (section.getGain(), before.getGain()));

    // A new design takes the new rate and keeps the state, so the output continues from it.
    section.designLowPass (Float4::broadcast (500.0f));
    EXPECT_FALSE (sameBits (section.getFeedback1(), before.getFeedback1()));
    EXPECT_TRUE (sameBits (section.getDelay1(), before.getDelay1()));
    EXPECT_TRUE (sameBits (section.getDelay2(), before.getDelay2()));

    const auto coefficients = section;
    section.reset();
    EXPECT_TRUE (sameBits (section.getDelay1(), Float4 {}));
    EXPECT_TRUE (sameBits (section.getDelay2(), Float4 {}));
    EXPECT_TRUE (sameBits (section.getIntermediate(), Float4 {}));
    EXPECT_TRUE (sameBits (section.getFeedback1(), coefficients.getFeedback1()));
    EXPECT_TRUE (sameBits (section.getCutoff(), coefficients.getCutoff()));
    EXPECT_TRUE (sameBits (section.getSampleRate(), Float4::broadcast (96000.0f)));
}

} // namespace zenvar::test
