// The single-precision all-pass that gives zenvar-split --check its floor: in every rounding
// variant it must be the plug-in's filters, close to the exact cascade but not identical to it.

#include "tools/ZenvarSplitSinglePrecisionAllPass.h"

#include "ZenvarSplitResponseTestSupport.h"

#include <gtest/gtest.h>

class ZenvarSplitSinglePrecisionAllPassTest : public ::testing::TestWithParam<int>
{
};

TEST_P (ZenvarSplitSinglePrecisionAllPassTest, FollowsTheExactCascadeToSinglePrecision)
{
    for (const auto& setting : zenvar::test::allPassSettings)
    {
        ZenvarSplitSinglePrecisionAllPass allPass;
        allPass.prepare (setting.sampleRate, setting.crossoversHz, GetParam());

        for (const auto hz : zenvar::test::allPassProbeFrequencies)
        {
            SCOPED_TRACE (juce::String (hz) + " Hz at " + juce::String (setting.sampleRate) + " Hz");
            const auto expected = zenvar::test::idealCascade (setting, hz);
            const auto measured = zenvar::test::measureResponse ([&] (double x)
                                                                 { return (double) allPass.processSample ((float) x); },
                                                                 setting.sampleRate,
                                                                 hz);

            // Coefficients and arithmetic in single precision move the response by far less than
            // this; a wrong filter moves it by a whole unit.
            EXPECT_LT (std::abs (measured - expected), 2.0e-3) << "measured " << measured << ", expected " << expected;
        }
    }
}

INSTANTIATE_TEST_SUITE_P (RoundingVariants, ZenvarSplitSinglePrecisionAllPassTest, ::testing::Range (0, ZenvarSplitSinglePrecisionAllPass::numRoundingVariants));

TEST (ZenvarSplitSinglePrecisionAllPass, RoundingVariantsRoundTheTangentEachWay)
{
    // At 250 Hz and 44100 Hz the two faithful roundings of the tangent give different
    // coefficients, so the variants with and without bit 0 must part somewhere.
    const std::array<float, 3> crossovers { 250.00002f, 2000.0f, 8000.0f };
    ZenvarSplitSinglePrecisionAllPass nearest, other;
    nearest.prepare (44100.0, crossovers, 0);
    other.prepare (44100.0, crossovers, 1);

    auto differences = 0;

    for (int n = 0; n < 4096; ++n)
    {
        const auto x = n == 0 ? 1.0f : 0.0f;
        differences += nearest.processSample (x) != other.processSample (x) ? 1 : 0;
    }

    EXPECT_GT (differences, 0);
}
