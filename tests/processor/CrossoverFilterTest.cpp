#include "processor/CrossoverFilter.h"
#include "support/DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zenvar::test
{

namespace
{
CrossoverFilter makeFilter (FilterKind kind, float cutoff, float sampleRate)
{
    CrossoverFilter filter;
    filter.setSampleRate (sampleRate);
    const auto c = Float4::broadcast (cutoff);

    switch (kind)
    {
        case FilterKind::lowPass:
            filter.setLowPass (c);
            break;
        case FilterKind::highPass:
            filter.setHighPass (c);
            break;
        case FilterKind::allPass:
            filter.setAllPass (c);
            break;
    }

    return filter;
}

double gainAt (FilterKind kind, float cutoff, double frequency, float sampleRate = 44100.0f)
{
    auto filter = makeFilter (kind, cutoff, sampleRate);
    return measureSineGain ([&] (float x)
                            { return filter.processSample (Float4::broadcast (x)).getLane (0); },
                            frequency,
                            sampleRate);
}

void expectSectionsEqual (const FilterSection& a, const FilterSection& b)
{
    EXPECT_TRUE (sameBits (a.getDelay1(), b.getDelay1()));
    EXPECT_TRUE (sameBits (a.getDelay2(), b.getDelay2()));
    EXPECT_TRUE (sameBits (a.getFeedback1(), b.getFeedback1()));
    EXPECT_TRUE (sameBits (a.getGain(), b.getGain()));
    EXPECT_TRUE (sameBits (a.getCutoff(), b.getCutoff()));
}
} // namespace

TEST (CrossoverFilter, LowAndHighPassAreSixDecibelsDownAtTheCutoff)
{
    for (const auto rate : { 44100.0f, 96000.0f })
        for (const auto cutoff : { 160.0f, 1000.0f, 5000.0f })
            for (const auto kind : { FilterKind::lowPass, FilterKind::highPass })
            {
                SCOPED_TRACE (::testing::Message() << cutoff << " Hz at " << rate << " Hz, kind " << static_cast<int> (kind));
                EXPECT_NEAR (toDecibels (gainAt (kind, cutoff, cutoff, rate)), -6.0206, 0.005);
            }
}

TEST (CrossoverFilter, ResponsesFollowTheWarpedLinkwitzRileyCurve)
{
    // |H|² of a fourth-order Linkwitz-Riley low-pass under the bilinear transform is
    // 1 / (1 + r⁴)² with r = tan(πf/rate) / tan(πfc/rate); the high-pass has r⁴ / (1 + r⁴).
    // Far from the cutoff that is a slope of 24 dB per octave.
    const auto expectedDb = [] (FilterKind kind, double cutoff, double frequency)
    {
        const auto r = std::tan (M_PI * frequency / 44100.0) / std::tan (M_PI * cutoff / 44100.0);
        const auto r4 = r * r * r * r;
        return toDecibels (kind == FilterKind::lowPass ? 1.0 / (1.0 + r4) : r4 / (1.0 + r4));
    };

    struct Case
    {
        FilterKind kind;
        float cutoff;
        double frequency;
    };

    for (const auto c : { Case { FilterKind::lowPass, 100.0f, 200.0 }, Case { FilterKind::lowPass, 100.0f, 400.0 }, Case { FilterKind::lowPass, 100.0f, 800.0 }, Case { FilterKind::lowPass, 1000.0f, 16000.0 }, Case { FilterKind::highPass, 8000.0f, 4000.0 }, Case { FilterKind::highPass, 8000.0f, 2000.0 }, Case { FilterKind::highPass, 8000.0f, 1000.0 }, Case { FilterKind::highPass, 1000.0f, 62.5 } })
    {
        SCOPED_TRACE (::testing::Message() << c.frequency << " Hz through " << c.cutoff << " Hz");
        EXPECT_NEAR (toDecibels (gainAt (c.kind, c.cutoff, c.frequency)), expectedDb (c.kind, c.cutoff, c.frequency), 0.02);
    }

    const auto octaveDrop = toDecibels (gainAt (FilterKind::lowPass, 100.0f, 400.0)) - toDecibels (gainAt (FilterKind::lowPass, 100.0f, 800.0));
    EXPECT_NEAR (octaveDrop, 24.0, 0.1);
}

TEST (CrossoverFilter, AllPassIsFlatFrom20HzTo20kHz)
{
    // Flat to within 0.001 dB: what single-precision coefficients allow at low cutoffs, where
    // the recursion's gain magnifies their rounding.
    for (const auto cutoff : { 160.0f, 1000.0f, 5000.0f })
        for (double frequency = 20.0; frequency <= 20000.0; frequency *= 1.5)
        {
            SCOPED_TRACE (::testing::Message() << frequency << " Hz through " << cutoff << " Hz");
            EXPECT_NEAR (gainAt (FilterKind::allPass, cutoff, frequency), 1.0, 1.0e-4);
        }
}

TEST (CrossoverFilter, AllPassImpulseResponseIsTheSumOfLowAndHighPass)
{
    auto allPass = makeFilter (FilterKind::allPass, 777.0f, 48000.0f);
    auto lowPass = makeFilter (FilterKind::lowPass, 777.0f, 48000.0f);
    auto highPass = makeFilter (FilterKind::highPass, 777.0f, 48000.0f);

    for (int n = 0; n < 4096; ++n)
    {
        const auto x = Float4::broadcast (n == 0 ? 1.0f : 0.0f);
        const auto high = highPass.processSample (x);
        ASSERT_TRUE (sameBits (allPass.processSample (x), high + lowPass.processSample (x))) << "sample " << n;
    }
}

TEST (CrossoverFilter, AKindRunsOnlyItsOwnSections)
{
    auto filter = makeFilter (FilterKind::allPass, 1000.0f, 44100.0f);

    for (int n = 0; n < 16; ++n)
        filter.processSample (Float4::broadcast (0.5f));

    const auto allPassState = filter;

    // A low-pass design and run leave the high-pass cascade exactly as the all-pass left it.
    filter.setLowPass (Float4::broadcast (2000.0f));
    EXPECT_EQ (filter.getKind(), FilterKind::lowPass);

    for (int n = 0; n < 16; ++n)
        filter.processSample (Float4::broadcast (0.5f));

    for (int i = 0; i < 2; ++i)
        expectSectionsEqual (filter.getHighSection (i), allPassState.getHighSection (i));

    EXPECT_FALSE (sameBits (filter.getLowSection (0).getDelay1(), allPassState.getLowSection (0).getDelay1()));
    EXPECT_TRUE (sameBits (filter.getLowSection (0).getFeedback1(), filter.getLowSection (1).getFeedback1()));
}

TEST (CrossoverFilter, ResetClearsStateButKeepsKindAndDesign)
{
    auto filter = makeFilter (FilterKind::highPass, 3000.0f, 44100.0f);

    for (int n = 0; n < 16; ++n)
        filter.processSample (Float4::broadcast (1.0f));

    const auto designed = filter;
    filter.reset();
    EXPECT_EQ (filter.getKind(), FilterKind::highPass);

    for (int i = 0; i < 2; ++i)
    {
        EXPECT_TRUE (sameBits (filter.getHighSection (i).getDelay1(), Float4 {}));
        EXPECT_TRUE (sameBits (filter.getHighSection (i).getDelay2(), Float4 {}));
        EXPECT_TRUE (sameBits (filter.getHighSection (i).getGain(), designed.getHighSection (i).getGain()));
    }
}

} // namespace zenvar::test
