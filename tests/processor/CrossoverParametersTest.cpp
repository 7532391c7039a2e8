#include "processor/CrossoverParameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zenvar;

TEST (CrossoverMapping, NormalisedValuesMapToHzOnTheSquareLawScale)
{
    struct Case
    {
        float normalised;
        float expectedHz;
    };

    const Case cases[] = { { 0.0f, 20.0f }, { 1.0f, 20000.0f }, { 0.5f, 5015.0f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.normalised);
        EXPECT_EQ (normalisedToFrequency (c.normalised), c.expectedHz);
    }
}

TEST (CrossoverMapping, TableDefaultsHaveTheirKnownNormalisedValues)
{
    EXPECT_FLOAT_EQ (frequencyToNormalised (160.0f, 0), 0.0837079f);
    EXPECT_FLOAT_EQ (frequencyToNormalised (1000.0f, 1), 0.2214702f);
    EXPECT_FLOAT_EQ (frequencyToNormalised (5000.0f, 2), 0.4992487f);
}

TEST (CrossoverMapping, RoundTripRoundsAsSinglePrecisionDoes)
{
    // 1000 Hz does not survive the square root in float exactly.
    EXPECT_EQ (normalisedToFrequency (frequencyToNormalised (1000.0f, 1)), 1000.0000610f);
    EXPECT_EQ (normalisedToFrequency (frequencyToNormalised (160.0f, 0)), 160.0f);
    EXPECT_EQ (normalisedToFrequency (frequencyToNormalised (5000.0f, 2)), 5000.0f);
}

TEST (CrossoverMapping, FrequenciesOutsideTheRangeGiveValidNormalisedValues)
{
    struct Case
    {
        float hz;
        float expected;
    };

    const Case cases[] = {
        { 0.0f, 0.0f },
        { -5.0f, 0.0f },
        { 19.9f, 0.0f },
        { 25000.0f, 1.0f },
        { std::numeric_limits<float>::infinity(), 1.0f },
        { -std::numeric_limits<float>::infinity(), 0.0f },
        { std::numeric_limits<float>::quiet_NaN(), 0.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.hz);
        EXPECT_EQ (frequencyToNormalised (c.hz, 0), c.expected);
    }
}

TEST (BandSwitch, IsOnFromOneHalfUp)
{
    struct Case
    {
        float value;
        bool on;
    };

    const Case cases[] = {
        { 0.0f, false },
        { 0.4999f, false },
        { 0.5f, true },
        { 0.7f, true },
        { 1.0f, true },
        { std::numeric_limits<float>::quiet_NaN(), false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        EXPECT_EQ (isBandSwitchOn (c.value), c.on);
    }
}

TEST (CrossoverParameters, BandSwitchDecodingAgreesWithRoundingHalfAwayFromZero)
{
    // The audio thread decodes switches with a comparison instead of rounding; both must agree
    // on every float, so sweep all floats from 2^-3 to 2^3 of both signs (the boundary and its
    // neighbours included) plus the values beyond.
    for (const auto sign : { 1.0f, -1.0f })
    {
        for (auto v = 0.125f; v <= 8.0f; v = std::nextafter (v, 16.0f))
            ASSERT_EQ (isBandSwitchOn (sign * v), std::round (sign * v) != 0.0f) << sign * v;

        for (const auto v : { 0.0f, 1.0e-30f, std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity() })
            EXPECT_EQ (isBandSwitchOn (sign * v), std::round (sign * v) != 0.0f) << sign * v;
    }
}
