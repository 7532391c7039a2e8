#include "processor/BandSplitter.h"
#include "processor/CrossoverParameters.h"
#include "support/DspTestSupport.h"
#include "support/ReferenceBandSplitter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace zenvar::test
{

namespace
{
/** Band switches that flip now and then as they are read. Engine and reference read them in
    the same order, so two copies with the same seed answer both alike. */
class FlickeringSwitches
{
public:
    FlickeringSwitches (unsigned seed, int meanReadsBetweenFlips)
        : random (seed)
        , flip (0, meanReadsBetweenFlips)
    {
    }

    bool operator() (int band)
    {
        if (flip (random) == 0)
            on[static_cast<size_t> (band)] = ! on[static_cast<size_t> (band)];

        return on[static_cast<size_t> (band)];
    }

private:
    std::mt19937 random;
    std::uniform_int_distribution<int> flip;
    std::array<bool, 4> on { true, false, true, false };
};

void expectFiltersIdentical (const BandSplitter& engine, const ReferenceBandSplitter& reference)
{
    for (int node = 0; node < BandSplitter::numNodes; ++node)
    {
        SCOPED_TRACE (::testing::Message() << "filter " << node);
        const auto& a = engine.getFilter (static_cast<BandSplitter::Node> (node));
        const auto& b = reference.getFilter (static_cast<BandSplitter::Node> (node));
        EXPECT_EQ (a.getKind(), b.getKind());

        for (int i = 0; i < 4; ++i)
        {
            const auto& x = i < 2 ? a.getLowSection (i) : a.getHighSection (i - 2);
            const auto& y = i < 2 ? b.getLowSection (i) : b.getHighSection (i - 2);
            EXPECT_TRUE (sameBits (x.getIntermediate(), y.getIntermediate()));
            EXPECT_TRUE (sameBits (x.getDelay1(), y.getDelay1()));
            EXPECT_TRUE (sameBits (x.getDelay2(), y.getDelay2()));
            EXPECT_TRUE (sameBits (x.getFeedback1(), y.getFeedback1()));
            EXPECT_TRUE (sameBits (x.getFeedback2(), y.getFeedback2()));
            EXPECT_TRUE (sameBits (x.getGain(), y.getGain()));
            EXPECT_TRUE (sameBits (x.getMiddleTap(), y.getMiddleTap()));
            EXPECT_TRUE (sameBits (x.getSampleRate(), y.getSampleRate()));
            EXPECT_TRUE (sameBits (x.getCutoff(), y.getCutoff()));
        }
    }
}

/** A stream of blocks, automation and prepares, driven from one seed. */
struct Scenario
{
    double sampleRate;
    int numChannels;
};

class BandSplitterMatchesTheDefinition : public ::testing::TestWithParam<Scenario>
{
};
} // namespace

TEST_P (BandSplitterMatchesTheDefinition, BitForBitUnderRandomAutomation)
{
    const auto [sampleRate, numChannels] = GetParam();
    std::mt19937 random (static_cast<unsigned> (sampleRate) + static_cast<unsigned> (numChannels));
    std::uniform_real_distribution<float> normalised (0.0f, 1.0f);
    std::uniform_int_distribution<int> blockLength (0, 700);
    std::uniform_int_distribution<int> percent (0, 99);
    std::uniform_int_distribution<int> crossover (0, 2);

    BandSplitter engine;
    ReferenceBandSplitter reference;
    engine.prepare (sampleRate);
    reference.prepare (sampleRate);
    FlickeringSwitches engineSwitches (99, 3000), referenceSwitches (99, 3000);

    const auto noise = makeNoise (1 << 16, 5);
    size_t noisePosition = 0;
    std::vector<std::vector<float>> engineBlock (static_cast<size_t> (numChannels)), referenceBlock (static_cast<size_t> (numChannels));
    int samplesRun = 0;

    while (samplesRun < 300000)
    {
        // Automation between blocks: new targets, repeated targets, the range ends, and
        // targets a float step away from the current one.
        for (int change = percent (random) % 4; change > 0; --change)
        {
            const auto index = crossover (random);
            const auto kind = percent (random);
            auto hz = normalisedToFrequency (normalised (random));

            if (kind < 10)
                hz = engine.getCrossoverTarget (index);
            else if (kind < 15)
                hz = std::nextafter (engine.getCrossoverTarget (index), 0.0f);
            else if (kind < 20)
                hz = kind < 18 ? 20.0f : 20000.0f;

            engine.setCrossoverTarget (index, hz);
            reference.setCrossoverTarget (index, hz);
        }

        if (percent (random) == 0)
        {
            engine.prepare (sampleRate);
            reference.prepare (sampleRate);
        }

        const auto length = blockLength (random);
        std::vector<float*> enginePointers, referencePointers;

        for (int c = 0; c < numChannels; ++c)
        {
            auto& e = engineBlock[static_cast<size_t> (c)];
            auto& r = referenceBlock[static_cast<size_t> (c)];
            e.resize (static_cast<size_t> (length));

            for (auto& s : e)
                s = noise[noisePosition++ % noise.size()] * (c == 0 ? 1.0f : -0.5f);

            r = e;
            enginePointers.push_back (e.data());
            referencePointers.push_back (r.data());
        }

        engine.process (enginePointers.data(), numChannels, length, engineSwitches);
        reference.process (referencePointers.data(), numChannels, length, referenceSwitches);

        for (int c = 0; c < numChannels; ++c)
            for (int n = 0; n < length; ++n)
                ASSERT_EQ (bitsOf (engineBlock[static_cast<size_t> (c)][static_cast<size_t> (n)]),
                           bitsOf (referenceBlock[static_cast<size_t> (c)][static_cast<size_t> (n)]))
                    << "channel " << c << ", sample " << samplesRun + n;

        samplesRun += length;
    }

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (bitsOf (engine.getCrossoverFrequency (i)), bitsOf (reference.getCrossoverFrequency (i)));

    expectFiltersIdentical (engine, reference);
}

INSTANTIATE_TEST_SUITE_P (SampleRatesAndLayouts,
                          BandSplitterMatchesTheDefinition,
                          ::testing::Values (Scenario { 44100.0, 2 }, Scenario { 44100.0, 1 }, Scenario { 48000.0, 2 }, Scenario { 96000.0, 2 }, Scenario { 192000.0, 1 }, Scenario { 22050.0, 2 }, Scenario { 32000.0, 1 }, Scenario { 44100.0, 0 }),
                          [] (const auto& testCase)
                          {
                              return std::to_string (static_cast<int> (testCase.param.sampleRate)) + "Hz_"
                                     + std::to_string (testCase.param.numChannels) + "ch";
                          });

TEST (BandSplitter, MonoLeavesLaneOneAndTheSpareLanesAtZero)
{
    BandSplitter engine;
    engine.prepare (44100.0);
    engine.setCrossoverTarget (1, 3000.0f);
    auto signal = makeNoise (5000, 8);
    auto* channel = signal.data();
    engine.process (&channel, 1, 5000, [] (int)
                    { return true; });

    for (int node = 0; node < BandSplitter::numNodes; ++node)
        for (int i = 0; i < 2; ++i)
            for (const auto* section : { &engine.getFilter (static_cast<BandSplitter::Node> (node)).getLowSection (i),
                                         &engine.getFilter (static_cast<BandSplitter::Node> (node)).getHighSection (i) })
                for (int lane = 1; lane < 4; ++lane)
                {
                    ASSERT_EQ (bitsOf (section->getDelay1().getLane (lane)), 0u);
                    ASSERT_EQ (bitsOf (section->getDelay2().getLane (lane)), 0u);
                }
}

TEST (BandSplitter, AllBandsTogetherAreAnAllPassOfTheInput)
{
    // With every band on, the output is the input through the three crossover all-passes.
    for (const auto& crossovers : { std::array<float, 3> { 160.0f, 1000.0f, 5000.0f }, std::array<float, 3> { 3000.0f, 400.0f, 12000.0f } })
    {
        for (double frequency = 20.0; frequency <= 20000.0; frequency *= 2.0)
        {
            SCOPED_TRACE (::testing::Message() << frequency << " Hz, crossovers " << crossovers[0] << " " << crossovers[1] << " " << crossovers[2]);
            BandSplitter engine;
            engine.prepare (44100.0);

            for (int i = 0; i < 3; ++i)
                engine.setCrossoverTarget (i, crossovers[static_cast<size_t> (i)]);

            const auto gain = measureSineGain ([&] (float x)
                                               {
                                                   auto* channel = &x;
                                                   engine.process (&channel, 1, 1, [] (int) { return true; });
                                                   return x; },
                                               frequency,
                                               44100.0);
            EXPECT_NEAR (gain, 1.0, 2.0e-4);
        }
    }
}

TEST (BandSplitter, EachBandCoversItsOwnRange)
{
    struct Case
    {
        int band;
        double frequency;
        double minimumDb, maximumDb;
    };

    // Crossovers at 160, 1000 and 5000 Hz: in-band near 0 dB, at a neighbouring crossover -6 dB,
    // far outside strongly attenuated.
    for (const auto c : { Case { 0, 40.0, -0.1, 0.1 }, Case { 0, 160.0, -6.1, -5.9 }, Case { 0, 2000.0, -200.0, -60.0 }, Case { 1, 400.0, -0.6, 0.1 }, Case { 1, 1000.0, -6.4, -5.6 }, Case { 1, 20.0, -200.0, -60.0 }, Case { 2, 2236.0, -0.8, -0.5 }, Case { 2, 5000.0, -6.4, -5.6 }, Case { 3, 15000.0, -0.2, 0.1 }, Case { 3, 500.0, -200.0, -60.0 } })
    {
        SCOPED_TRACE (::testing::Message() << "band " << c.band + 1 << " at " << c.frequency << " Hz");
        BandSplitter engine;
        engine.prepare (44100.0);
        const auto gain = measureSineGain ([&] (float x)
                                           {
                                               auto* channel = &x;
                                               engine.process (&channel, 1, 1, [&] (int band) { return band == c.band; });
                                               return x; },
                                           c.frequency,
                                           44100.0);
        EXPECT_GE (toDecibels (gain), c.minimumDb);
        EXPECT_LE (toDecibels (gain), c.maximumDb);
    }
}

TEST (BandSplitter, BadTargetsNeverReachTheFilters)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto infinity = std::numeric_limits<float>::infinity();

    struct Case
    {
        float requested, expectedTarget;
    };

    for (const auto c : { Case { nan, 1000.0f }, Case { infinity, 20000.0f }, Case { -infinity, 20.0f }, Case { 0.0f, 20.0f }, Case { 1.0e6f, 20000.0f }, Case { -5.0f, 20.0f }, Case { 20.0f, 20.0f }, Case { 20000.0f, 20000.0f } })
    {
        SCOPED_TRACE (c.requested);
        BandSplitter engine;
        engine.prepare (22050.0);
        engine.setCrossoverTarget (1, c.requested);
        EXPECT_EQ (engine.getCrossoverTarget (1), c.expectedTarget);

        auto signal = makeNoise (100000, 4);
        std::vector<float> right (signal.size(), 0.25f);
        float* channels[] = { signal.data(), right.data() };
        engine.process (channels, 2, static_cast<int> (signal.size()), [] (int band)
                        { return band != 2; });

        for (const auto s : signal)
            ASSERT_TRUE (std::isfinite (s) && std::fabs (s) < 10.0f);
    }
}

TEST (BandSplitter, CrossoversAboveHalfTheSampleRateStayStable)
{
    // At 22050 Hz the crossover range reaches past Nyquist; every band stays finite and bounded.
    for (const auto rate : { 22050.0, 32000.0, 40000.0 })
    {
        SCOPED_TRACE (rate);
        BandSplitter engine;
        engine.prepare (rate);
        engine.setCrossoverTarget (0, 9000.0f);
        engine.setCrossoverTarget (1, 15000.0f);
        engine.setCrossoverTarget (2, 20000.0f);

        for (int band = 0; band < 4; ++band)
        {
            auto signal = makeNoise (50000, static_cast<unsigned> (band));
            auto* channel = signal.data();
            engine.process (&channel, 1, static_cast<int> (signal.size()), [&] (int b)
                            { return b == band; });

            for (const auto s : signal)
                ASSERT_TRUE (std::isfinite (s) && std::fabs (s) < 10.0f) << "band " << band + 1;
        }
    }
}

TEST (BandSplitter, ACrossoverMovesFrom1000To2000HzIn441EqualStepsAt44100Hz)
{
    BandSplitter engine;
    engine.prepare (44100.0);
    engine.setCrossoverTarget (1, 2000.0f);
    float sample = 0.0f;
    auto* channel = &sample;
    auto previous = engine.getCrossoverFrequency (1);

    for (int n = 1; n <= 441; ++n)
    {
        engine.process (&channel, 1, 1, [] (int)
                        { return false; });
        const auto current = engine.getCrossoverFrequency (1);
        ASSERT_NEAR (current - previous, 1000.0f / 441.0f, 4.0e-3f) << "step " << n;
        ASSERT_EQ (current == 2000.0f, n == 441) << "step " << n;
        previous = current;
    }

    EXPECT_FALSE (engine.isRamping());
}

TEST (BandSplitter, PrepareClearsTheFiltersSnapsTheRampsAndIgnoresBadRates)
{
    BandSplitter engine;
    engine.prepare (44100.0);
    EXPECT_EQ (engine.getRampLengthInSamples(), 441);

    engine.setCrossoverTarget (0, 800.0f);
    auto signal = makeNoise (100, 1);
    auto* channel = signal.data();
    engine.process (&channel, 1, 100, [] (int)
                    { return false; });
    EXPECT_TRUE (engine.isRamping());

    for (const auto bad : { 0.0, -48000.0, std::nan (""), std::numeric_limits<double>::infinity() })
    {
        engine.prepare (bad);
        EXPECT_TRUE (engine.isRamping());
        EXPECT_EQ (engine.getRampLengthInSamples(), 441);
    }

    engine.prepare (48000.0);
    EXPECT_FALSE (engine.isRamping());
    EXPECT_EQ (engine.getCrossoverFrequency (0), 800.0f);
    EXPECT_EQ (engine.getRampLengthInSamples(), 480);
    EXPECT_TRUE (sameBits (engine.getFilter (BandSplitter::band1AllPass3).getHighSection (1).getDelay1(), Float4 {}));
    EXPECT_TRUE (sameBits (engine.getFilter (BandSplitter::highPass1).getLowSection (0).getSampleRate(), Float4::broadcast (48000.0f)));
}

} // namespace zenvar::test
