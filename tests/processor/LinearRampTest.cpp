#include "processor/LinearRamp.h"
#include "support/DspTestSupport.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace zenvar::test
{

TEST (LinearRamp, StepsExactlyAsTheFrameworksLinearSmoothedValue)
{
    // Random retargets, resets and jumps, each mirrored on the framework's class. Targets are
    // either identical or far apart, where both classes agree on what counts as a new target.
    std::mt19937 random (2024);
    std::uniform_real_distribution<float> frequency (20.0f, 20000.0f);
    std::uniform_int_distribution<int> action (0, 19);
    std::uniform_int_distribution<int> run (0, 700);

    LinearRamp ramp (1000.0f);
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> framework (1000.0f);

    for (int round = 0; round < 20000; ++round)
    {
        const auto choice = action (random);

        if (choice == 0)
        {
            const double rate = std::array<double, 4> { 22050.0, 44100.0, 48000.0, 96000.0 }[static_cast<size_t> (round % 4)];
            ramp.reset (rate, 0.01);
            framework.reset (rate, 0.01);
        }
        else if (choice == 1)
        {
            const auto value = frequency (random);
            ramp.setCurrentAndTargetValue (value);
            framework.setCurrentAndTargetValue (value);
        }
        else if (choice < 12)
        {
            const auto target = choice == 2 ? framework.getTargetValue() : frequency (random);
            ramp.setTargetValue (target);
            framework.setTargetValue (target);
        }

        // Half the runs step sample by sample, half fill a block at once.
        const auto length = run (random);

        if (round % 2 == 0)
        {
            for (int n = 0; n < length; ++n)
                ASSERT_EQ (bitsOf (ramp.getNextValue()), bitsOf (framework.getNextValue())) << "round " << round;
        }
        else
        {
            std::vector<float> block (static_cast<size_t> (length));
            ramp.fillNextValues (block.data(), length);

            for (const auto value : block)
                ASSERT_EQ (bitsOf (value), bitsOf (framework.getNextValue())) << "round " << round;
        }

        ASSERT_EQ (ramp.isSmoothing(), framework.isSmoothing());
        ASSERT_EQ (bitsOf (ramp.getCurrentValue()), bitsOf (framework.getCurrentValue()));
        ASSERT_EQ (bitsOf (ramp.getTargetValue()), bitsOf (framework.getTargetValue()));
    }
}

TEST (LinearRamp, RampLengthIsOneHundredthOfTheRateRoundedDown)
{
    struct Case
    {
        double rate;
        int steps;
    };

    for (const auto c : { Case { 44100.0, 441 }, Case { 48000.0, 480 }, Case { 96000.0, 960 }, Case { 22050.0, 220 }, Case { 99.0, 0 }, Case { 0.0, 0 }, Case { -44100.0, 0 }, Case { std::nan (""), 0 } })
    {
        SCOPED_TRACE (c.rate);
        LinearRamp ramp (1000.0f);
        ramp.reset (c.rate, 0.01);
        EXPECT_EQ (ramp.getRampLengthInSamples(), c.steps);

        ramp.setTargetValue (2000.0f);
        int samples = 0;

        while (ramp.isSmoothing())
        {
            ramp.getNextValue();
            ++samples;
        }

        EXPECT_EQ (samples, c.steps);
        EXPECT_EQ (ramp.getCurrentValue(), 2000.0f);
    }
}

TEST (LinearRamp, ARampFrom1000To2000At44100TakesEqualStepsAndLandsExactly)
{
    LinearRamp ramp (1000.0f);
    ramp.reset (44100.0, 0.01);
    ramp.setTargetValue (2000.0f);

    auto previous = 1000.0f;

    for (int n = 1; n <= 441; ++n)
    {
        const auto value = ramp.getNextValue();
        EXPECT_NEAR (value - previous, 1000.0f / 441.0f, 4.0e-3f) << "step " << n;
        previous = value;
    }

    EXPECT_EQ (previous, 2000.0f);
    EXPECT_FALSE (ramp.isSmoothing());
    EXPECT_EQ (ramp.getNextValue(), 2000.0f);
}

TEST (LinearRamp, ANewTargetRestartsTheFullRampFromWhereItIs)
{
    LinearRamp ramp (1000.0f);
    ramp.reset (44100.0, 0.01);
    ramp.setTargetValue (2000.0f);

    for (int n = 0; n < 100; ++n)
        ramp.getNextValue();

    const auto reached = ramp.getCurrentValue();
    ramp.setTargetValue (500.0f);
    int samples = 0;

    for (; ramp.isSmoothing(); ++samples)
        ramp.getNextValue();

    EXPECT_GT (reached, 1000.0f);
    EXPECT_EQ (samples, 441);
    EXPECT_EQ (ramp.getCurrentValue(), 500.0f);
}

TEST (LinearRamp, ATargetApproximatelyEqualToTheCurrentOneIsIgnored)
{
    LinearRamp ramp (1000.0f);
    ramp.reset (44100.0, 0.01);
    ramp.setTargetValue (2000.0f);

    for (int n = 0; n < 200; ++n)
        ramp.getNextValue();

    const auto position = ramp.getCurrentValue();

    // One float step away: the framework's 7.0.5 class would restart the ramp here.
    ramp.setTargetValue (std::nextafter (2000.0f, 3000.0f));
    EXPECT_EQ (ramp.getTargetValue(), 2000.0f);

    int remaining = 0;

    for (; ramp.isSmoothing(); ++remaining)
        ramp.getNextValue();

    EXPECT_EQ (remaining, 241);
    EXPECT_GT (position, 1000.0f);
}

TEST (LinearRamp, ApproximateEqualityFollowsTheFrameworksTolerance)
{
    const auto epsilon = std::numeric_limits<float>::epsilon();
    const auto tiny = std::numeric_limits<float>::min();
    const auto infinity = std::numeric_limits<float>::infinity();
    const auto nan = std::numeric_limits<float>::quiet_NaN();

    struct Case
    {
        float a, b;
        bool equal;
    };

    for (const auto c : { Case { 1000.0f, 1000.0f, true }, Case { 1000.0f, std::nextafter (1000.0f, 0.0f), true }, Case { 1000.0f, 1000.0f * (1.0f + 2.0f * epsilon), false }, Case { 0.0f, tiny, true }, Case { 0.0f, 2.0f * tiny, false }, Case { 0.0f, -0.0f, true }, Case { infinity, infinity, true }, Case { infinity, std::numeric_limits<float>::max(), false }, Case { nan, nan, false }, Case { nan, 1.0f, false } })
    {
        SCOPED_TRACE (::testing::Message() << c.a << " vs " << c.b);
        EXPECT_EQ (LinearRamp::approximatelyEqual (c.a, c.b), c.equal);
        EXPECT_EQ (LinearRamp::approximatelyEqual (c.b, c.a), c.equal);
    }
}

} // namespace zenvar::test
