#include "processor/BandSplitter.h"
#include "processor/CrossoverFilter.h"
#include "processor/ZenvarAudioProcessor.h"
#include "support/DspTestSupport.h"
#include "support/ReferenceBandSplitter.h"
#include "support/ZenvarTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

// The processor's audio path end to end: the pass-through, the band graph against its
// definition, prepare, the link group's shared crossovers and the spectrum feed.

namespace zenvar::test
{

namespace
{
using Bands = std::array<bool, 4>;

juce::AudioBuffer<float> makeNoiseBuffer (int numChannels, int numSamples, unsigned seed)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int c = 0; c < numChannels; ++c)
    {
        const auto noise = makeNoise (numSamples, seed + static_cast<unsigned> (c));
        std::copy (noise.begin(), noise.end(), buffer.getWritePointer (c));
    }

    return buffer;
}

void process (ZenvarAudioProcessor& processor, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
}

void setBands (ZenvarAudioProcessor& processor, Bands on)
{
    for (int band = 0; band < 4; ++band)
        processor.getParameterAt (firstBandSwitchIndex + band).setValueNotifyingHost (on[static_cast<size_t> (band)] ? 1.0f : 0.0f);
}

void setCrossoverHz (ZenvarAudioProcessor& processor, int index, float hz)
{
    processor.getParameterAt (index).setValueNotifyingHost (frequencyToNormalised (hz, index));
}

void useMono (ZenvarAudioProcessor& processor)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::mono());
    layout.outputBuses.add (juce::AudioChannelSet::mono());
    ASSERT_TRUE (processor.setBusesLayout (layout));
}

/** Runs the reference on a copy of `input` with fixed band switches. */
juce::AudioBuffer<float> runReference (ReferenceBandSplitter& reference, const juce::AudioBuffer<float>& input, Bands on)
{
    auto output = input;
    reference.process (output.getArrayOfWritePointers(), output.getNumChannels(), output.getNumSamples(), [on] (int band)
                       { return on[static_cast<size_t> (band)]; });
    return output;
}

::testing::AssertionResult identical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int n = 0; n < a.getNumSamples(); ++n)
            if (bitsOf (a.getSample (c, n)) != bitsOf (b.getSample (c, n)))
                return ::testing::AssertionFailure() << "channel " << c << ", sample " << n << ": " << a.getSample (c, n) << " vs " << b.getSample (c, n);

    return ::testing::AssertionSuccess();
}
} // namespace

TEST (SignalPath, AllBandsOnPassesEveryBitUntouched)
{
    for (const bool mono : { false, true })
    {
        SCOPED_TRACE (mono ? "mono" : "stereo");
        Instances instances;
        auto& processor = instances.create();

        if (mono)
            useMono (processor);

        processor.prepareToPlay (44100.0, 512);
        setBands (processor, { true, true, true, true });
        setCrossoverHz (processor, 0, 9000.0f);
        setCrossoverHz (processor, 1, 300.0f);

        auto input = makeNoiseBuffer (mono ? 1 : 2, 512, 1);
        input.setSample (0, 3, std::numeric_limits<float>::quiet_NaN());
        input.setSample (0, 4, -0.0f);
        input.setSample (0, 5, std::numeric_limits<float>::denorm_min());
        auto output = input;
        process (processor, output);
        EXPECT_EQ (std::memcmp (output.getReadPointer (0), input.getReadPointer (0), 512 * sizeof (float)), 0);
        EXPECT_TRUE (identical (output, input));
    }
}

TEST (SignalPath, AllBandsOffGivesSilence)
{
    Instances instances;
    auto& processor = instances.create();
    processor.prepareToPlay (48000.0, 256);
    setBands (processor, { false, false, false, false });

    auto buffer = makeNoiseBuffer (2, 256, 2);
    process (processor, buffer);

    for (int c = 0; c < 2; ++c)
        for (int n = 0; n < 256; ++n)
            ASSERT_EQ (bitsOf (buffer.getSample (c, n)), 0u);
}

TEST (SignalPath, MatchesTheDefinitionThroughAutomationAndSwitching)
{
    struct Step
    {
        std::array<float, 3> crossoversHz;
        Bands bands;
        int length;
    };

    // Crossover 2 goes from 1000 to 2000 Hz, the others move mid-ramp and out of order.
    const Step steps[] = { { { 160.0f, 1000.0f, 5000.0f }, { true, false, false, false }, 300 },
                           { { 160.0f, 2000.0f, 5000.0f }, { true, false, false, false }, 200 },
                           { { 160.0f, 2000.0f, 5000.0f }, { false, true, true, false }, 441 },
                           { { 4000.0f, 2000.0f, 300.0f }, { true, false, true, true }, 64 },
                           { { 4000.0f, 20.0f, 20000.0f }, { false, true, false, true }, 1000 },
                           { { 4000.0f, 20.0f, 20000.0f }, { false, false, false, false }, 10 } };

    for (const bool mono : { false, true })
    {
        SCOPED_TRACE (mono ? "mono" : "stereo");
        Instances instances;
        auto& processor = instances.create();

        if (mono)
            useMono (processor);

        ReferenceBandSplitter reference;
        processor.prepareToPlay (44100.0, 1024);
        reference.prepare (44100.0);
        unsigned seed = 10;

        for (const auto& step : steps)
        {
            for (int i = 0; i < 3; ++i)
            {
                setCrossoverHz (processor, i, step.crossoversHz[static_cast<size_t> (i)]);
                reference.setCrossoverTarget (i, normalisedToFrequency (processor.getParameterValue (i)));
            }

            setBands (processor, step.bands);
            auto buffer = makeNoiseBuffer (mono ? 1 : 2, step.length, seed++);
            const auto expected = runReference (reference, buffer, step.bands);
            process (processor, buffer);
            ASSERT_TRUE (identical (buffer, expected));
        }
    }
}

TEST (SignalPath, FourInstancesInGroupZeroSumToTheAllPassOfTheInput)
{
    // New instances start with bands 1, 2, 3 and 4 on, so four of them split one signal.
    for (const auto& crossovers : { std::array<float, 3> { 160.0f, 1000.0f, 5000.0f }, std::array<float, 3> { 2500.0f, 700.0f, 12000.0f } })
    {
        Instances instances;
        std::array<ZenvarAudioProcessor*, 4> processors {};

        for (int i = 0; i < 4; ++i)
        {
            processors[static_cast<size_t> (i)] = &instances.create();
            processors[static_cast<size_t> (i)]->prepareToPlay (44100.0, 4096);
            EXPECT_EQ (getBandSwitches (*processors[static_cast<size_t> (i)]),
                       (std::vector<int> { i == 0, i == 1, i == 2, i == 3 }));
        }

        for (int i = 0; i < 3; ++i)
            setCrossoverHz (*processors[0], i, crossovers[static_cast<size_t> (i)]);

        // The all-pass response: the same splitter with every band summed, and independently
        // the three crossover all-passes in cascade.
        BandSplitter allBands;
        allBands.prepare (44100.0);
        std::array<CrossoverFilter, 3> allPasses;

        for (int i = 0; i < 3; ++i)
        {
            allBands.setCrossoverTarget (i, normalisedToFrequency (processors[0]->getParameterValue (i)));
            allPasses[static_cast<size_t> (i)].setSampleRate (44100.0f);
            allPasses[static_cast<size_t> (i)].setAllPass (Float4::broadcast (normalisedToFrequency (processors[0]->getParameterValue (i))));
        }

        for (int block = 0; block < 4; ++block)
        {
            const auto input = makeNoiseBuffer (2, 4096, 20 + static_cast<unsigned> (block));
            auto sum = input;
            sum.clear();

            // The first processor pushes its crossovers to the others during its block.
            for (auto* processor : processors)
            {
                auto output = input;
                process (*processor, output);

                for (int c = 0; c < 2; ++c)
                    sum.addFrom (c, 0, output, c, 0, 4096);
            }

            auto expected = input;
            allBands.process (expected.getArrayOfWritePointers(), 2, 4096, [] (int)
                              { return true; });

            for (int n = 0; n < 4096; ++n)
            {
                auto x = Float4::fromLanes (input.getSample (0, n), input.getSample (1, n), 0.0f, 0.0f);

                for (auto& allPass : allPasses)
                    x = allPass.processSample (x);

                for (int c = 0; c < 2; ++c)
                {
                    ASSERT_EQ (bitsOf (sum.getSample (c, n)), bitsOf (expected.getSample (c, n))) << "block " << block << ", sample " << n;

                    // Once the first block's ramps from the default crossovers have died away.
                    if (block > 0)
                    {
                        ASSERT_NEAR (sum.getSample (c, n), x.getLane (c), 1.0e-4f) << "block " << block << ", sample " << n;
                    }
                }
            }
        }
    }
}

TEST (SignalPath, BypassResumesFromTheStateHeldWhenItBegan)
{
    Instances instances;
    auto& processor = instances.create();
    ReferenceBandSplitter reference;
    processor.prepareToPlay (44100.0, 512);
    reference.prepare (44100.0);
    setCrossoverHz (processor, 1, 3000.0f);
    reference.setCrossoverTarget (1, normalisedToFrequency (processor.getParameterValue (1)));

    const Bands threeBands { true, true, true, false };
    setBands (processor, threeBands);
    auto first = makeNoiseBuffer (2, 200, 30);
    const auto expectedFirst = runReference (reference, first, threeBands);
    process (processor, first);
    ASSERT_TRUE (identical (first, expectedFirst));

    // Band 4 on: untouched, and neither the filters nor the ramp move.
    setBands (processor, { true, true, true, true });
    const auto bypassInput = makeNoiseBuffer (2, 300, 31);
    auto bypassed = bypassInput;
    process (processor, bypassed);
    ASSERT_TRUE (identical (bypassed, bypassInput));

    setBands (processor, threeBands);
    auto resumed = makeNoiseBuffer (2, 600, 32);
    const auto expectedResumed = runReference (reference, resumed, threeBands);
    process (processor, resumed);
    EXPECT_TRUE (identical (resumed, expectedResumed));
}

TEST (SignalPath, PrepareKeepsEverythingAtTheSameRateAndStartsAfreshAtANewOne)
{
    Instances instances;
    auto& processor = instances.create();
    ReferenceBandSplitter reference;
    const Bands bands { false, true, false, true };
    setBands (processor, bands);
    processor.prepareToPlay (44100.0, 512);
    reference.prepare (44100.0);
    setCrossoverHz (processor, 2, 2000.0f);
    reference.setCrossoverTarget (2, normalisedToFrequency (processor.getParameterValue (2)));

    auto buffer = makeNoiseBuffer (2, 100, 40);
    auto expected = runReference (reference, buffer, bands);
    process (processor, buffer);
    ASSERT_TRUE (identical (buffer, expected));

    // Same rate in the middle of the ramp: the ramp and the filters carry on.
    processor.prepareToPlay (44100.0, 512);
    buffer = makeNoiseBuffer (2, 500, 41);
    expected = runReference (reference, buffer, bands);
    process (processor, buffer);
    ASSERT_TRUE (identical (buffer, expected));

    // New rate: silent filters, crossovers snapped to their targets; a change after that ramps
    // over the new rate's 960 samples.
    processor.prepareToPlay (96000.0, 512);
    ReferenceBandSplitter fresh;

    for (int i = 0; i < 3; ++i)
        fresh.setCrossoverTarget (i, normalisedToFrequency (processor.getParameterValue (i)));

    fresh.prepare (96000.0);
    setCrossoverHz (processor, 0, 500.0f);
    fresh.setCrossoverTarget (0, normalisedToFrequency (processor.getParameterValue (0)));
    buffer = makeNoiseBuffer (2, 700, 42);
    expected = runReference (fresh, buffer, bands);
    process (processor, buffer);
    EXPECT_TRUE (identical (buffer, expected));
    EXPECT_EQ (processor.currentSampleRate.load(), 96000.0);

    // A rate a host should never send changes nothing.
    processor.prepareToPlay (std::nan (""), 512);
    processor.prepareToPlay (0.0, 512);
    EXPECT_EQ (processor.currentSampleRate.load(), 96000.0);
}

TEST (SignalPath, ANaNCrossoverValueNeverReachesTheFilters)
{
    Instances instances;
    auto& processor = instances.create();
    ReferenceBandSplitter reference;
    const Bands bands { true, true, false, false };
    setBands (processor, bands);
    processor.prepareToPlay (44100.0, 512);
    reference.prepare (44100.0);

    static_cast<juce::AudioProcessorParameter&> (processor.getParameterAt (1)).setValue (std::numeric_limits<float>::quiet_NaN());

    for (int block = 0; block < 4; ++block)
    {
        auto buffer = makeNoiseBuffer (2, 512, 50 + static_cast<unsigned> (block));
        const auto expected = runReference (reference, buffer, bands);
        process (processor, buffer);
        ASSERT_TRUE (identical (buffer, expected)) << "block " << block;
    }
}

TEST (SignalPath, SpectrumFramesArriveWhateverTheBands)
{
    for (const auto& bands : { Bands { true, true, true, true }, Bands { false, false, false, false } })
    {
        Instances instances;
        auto& processor = instances.create();
        processor.prepareToPlay (44100.0, 2048);
        setBands (processor, bands);
        EXPECT_EQ (processor.takeLatestSpectrum(), nullptr);

        juce::AudioBuffer<float> buffer (2, 2048);
        buffer.clear();

        for (int c = 0; c < 2; ++c)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, 2048);

        process (processor, buffer);
        const auto* spectrum = processor.takeLatestSpectrum();
        ASSERT_NE (spectrum, nullptr);
        EXPECT_NEAR (spectrum[0].r, 3.14159f, 1.0e-4f);
        EXPECT_EQ (processor.takeLatestSpectrum(), nullptr);
    }
}

} // namespace zenvar::test
