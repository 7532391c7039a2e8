#include "processor/Float4.h"
#include "processor/FilterSection.h"
#include "support/DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zenvar::test
{

TEST (Float4, ArithmeticIsLaneWiseSinglePrecision)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> value (-1000.0f, 1000.0f);

    for (int trial = 0; trial < 10000; ++trial)
    {
        float a[4], b[4];

        for (int lane = 0; lane < 4; ++lane)
        {
            a[lane] = value (random);
            b[lane] = value (random);
        }

        const auto x = Float4::fromLanes (a[0], a[1], a[2], a[3]);
        const auto y = Float4::fromLanes (b[0], b[1], b[2], b[3]);
        const auto result = (x * y + x) / y - x;

        for (int lane = 0; lane < 4; ++lane)
        {
            // Separate statements, so that no compiler may fuse them either.
            auto expected = a[lane] * b[lane];
            expected = expected + a[lane];
            expected = expected / b[lane];
            expected = expected - a[lane];
            ASSERT_EQ (bitsOf (result.getLane (lane)), bitsOf (expected)) << "lane " << lane;
        }
    }
}

TEST (Float4, TangentIsWithinThreeUlpsOverTheWholeDesignRange)
{
    double worst = 0.0;

    // Every 97th float from the smallest designed angle to the largest.
    for (auto w = ButterworthDesign::minimumWarpedAngle; w <= ButterworthDesign::maximumWarpedAngle;)
    {
        const auto t = tangent (Float4::broadcast (w)).getLane (0);
        worst = std::max (worst, ulpDistance (t, std::tan (static_cast<double> (w))));

        for (int i = 0; i < 97; ++i)
            w = std::nextafter (w, 2.0f);
    }

    EXPECT_LE (worst, 3.0);
}

TEST (Float4, TangentIsOddAndCoversEveryOctant)
{
    for (const auto w : { 0.3f, 1.2f, 2.0f, 2.9f, 3.5f, 4.4f, 5.1f, 6.0f, 10.0f })
    {
        SCOPED_TRACE (w);
        const auto t = tangent (Float4::fromLanes (w, -w, w, -w));
        EXPECT_NEAR (t.getLane (0), std::tan (static_cast<double> (w)), 4.0e-7 * std::fabs (std::tan (static_cast<double> (w))) + 1.0e-7);
        EXPECT_EQ (bitsOf (t.getLane (1)), bitsOf (-t.getLane (0)));
    }
}

TEST (Float4, TangentOfAValueIsTheSameInEveryLane)
{
    // The engine designs three crossovers in three lanes and hands each lane to filters that,
    // by definition, compute it in all four: that is only exact if lanes never interact.
    std::mt19937 random (11);
    std::uniform_real_distribution<float> angle (ButterworthDesign::minimumWarpedAngle, ButterworthDesign::maximumWarpedAngle);

    for (int trial = 0; trial < 10000; ++trial)
    {
        const auto a = angle (random), b = angle (random), c = angle (random), d = angle (random);
        const auto mixed = tangent (Float4::fromLanes (a, b, c, d));
        ASSERT_TRUE (sameBits (Float4::broadcast (mixed.getLane (0)), tangent (Float4::broadcast (a))));
        ASSERT_TRUE (sameBits (Float4::broadcast (mixed.getLane (1)), tangent (Float4::broadcast (b))));
        ASSERT_TRUE (sameBits (Float4::broadcast (mixed.getLane (2)), tangent (Float4::broadcast (c))));
        ASSERT_TRUE (sameBits (Float4::broadcast (mixed.getLane (3)), tangent (Float4::broadcast (d))));
    }
}

} // namespace zenvar::test
