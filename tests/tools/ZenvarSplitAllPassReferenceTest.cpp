// The exact reference that zenvar-split --check compares the band sum with: the cascade of the
// three crossover all-passes, unit magnitude at every frequency.

#include "tools/ZenvarSplitAllPassReference.h"

#include "ZenvarSplitResponseTestSupport.h"

#include <gtest/gtest.h>

TEST (ZenvarSplitAllPassReference, IsTheCascadeOfTheThreeCrossoverAllPasses)
{
    for (const auto& setting : zenvar::test::allPassSettings)
    {
        ZenvarSplitAllPassReference reference;
        reference.prepare (setting.sampleRate, setting.crossoversHz);

        for (const auto hz : zenvar::test::allPassProbeFrequencies)
        {
            SCOPED_TRACE (juce::String (hz) + " Hz at " + juce::String (setting.sampleRate) + " Hz");
            const auto expected = zenvar::test::idealCascade (setting, hz);
            const auto measured = zenvar::test::measureResponse ([&] (double x)
                                                                 { return reference.processSample (x); },
                                                                 setting.sampleRate,
                                                                 hz);

            EXPECT_NEAR (std::abs (measured), 1.0, 1.0e-9);
            EXPECT_LT (std::abs (measured - expected), 1.0e-9) << "measured " << measured << ", expected " << expected;
        }
    }
}

TEST (ZenvarSplitAllPassReference, ResetForgetsThePreviousSignal)
{
    ZenvarSplitAllPassReference reference;
    reference.prepare (44100.0, { 160.0f, 1000.0f, 5000.0f });
    std::vector<double> first, again;

    for (int n = 0; n < 256; ++n)
        first.push_back (reference.processSample (n == 0 ? 1.0 : 0.0));

    reference.reset();

    for (int n = 0; n < 256; ++n)
        again.push_back (reference.processSample (n == 0 ? 1.0 : 0.0));

    EXPECT_EQ (first, again);
}
