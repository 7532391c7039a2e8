// The built bundle's sound as a host hears it: four instances in link group 0, one band each,
// split a signal into parts that add up to the all-pass response of the input.

#include "processor/BandSplitter.h"
#include "processor/CrossoverFilter.h"
#include "processor/CrossoverParameters.h"
#include "support/BuiltBundle.h"
#include "support/NoiseBuffer.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <cstring>

using zenvar::test::makeNoise;

namespace
{
bool sameBits (float a, float b)
{
    return std::memcmp (&a, &b, sizeof (float)) == 0;
}
} // namespace

TEST (HostedSignalPath, FourInstancesInGroupZeroSumToTheAllPassOfTheInput)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, zenvar::test::getBuiltBundle().getFullPathName());
    ASSERT_EQ (found.size(), 1);

    constexpr double sampleRate = 48000.0;
    constexpr int blockLength = 480;
    std::vector<std::unique_ptr<juce::AudioPluginInstance>> instances;

    for (int band = 0; band < 4; ++band)
    {
        juce::String error;
        instances.push_back (format.createInstanceFromDescription (*found[0], sampleRate, blockLength, error));
        ASSERT_NE (instances.back(), nullptr) << error;

        for (int other = 0; other < 4; ++other)
            instances.back()->getParameters()[3 + other]->setValueNotifyingHost (other == band ? 1.0f : 0.0f);
    }

    // Crossovers out of order on purpose: the bands overlap, yet still add up. The first instance
    // passes them to the others during its first block.
    const std::array<float, 3> crossovers { 0.4f, 0.2f, 0.7f };

    for (int i = 0; i < 3; ++i)
        instances[0]->getParameters()[i]->setValueNotifyingHost (crossovers[static_cast<size_t> (i)]);

    for (auto& instance : instances)
        instance->prepareToPlay (sampleRate, blockLength);

    // The all-pass response: the same split with every band summed (bit for bit what the four
    // outputs add up to), and independently the three crossover all-passes in cascade.
    zenvar::BandSplitter allBands;
    allBands.prepare (sampleRate);
    std::array<zenvar::CrossoverFilter, 3> allPasses;

    for (int i = 0; i < 3; ++i)
    {
        const auto hz = zenvar::normalisedToFrequency (crossovers[static_cast<size_t> (i)]);
        allBands.setCrossoverTarget (i, hz);
        allPasses[static_cast<size_t> (i)].setSampleRate (static_cast<float> (sampleRate));
        allPasses[static_cast<size_t> (i)].setAllPass (zenvar::Float4::broadcast (hz));
    }

    for (int block = 0; block < 20; ++block)
    {
        const auto input = makeNoise (2, blockLength, block);
        juce::AudioBuffer<float> sum (2, blockLength);
        sum.clear();

        for (auto& instance : instances)
        {
            auto output = input;
            juce::MidiBuffer midi;
            instance->processBlock (output, midi);

            for (int c = 0; c < 2; ++c)
                sum.addFrom (c, 0, output, c, 0, blockLength);
        }

        auto expected = input;
        allBands.process (expected.getArrayOfWritePointers(), 2, blockLength, [] (int)
                          { return true; });

        for (int n = 0; n < blockLength; ++n)
        {
            auto x = zenvar::Float4::fromLanes (input.getSample (0, n), input.getSample (1, n), 0.0f, 0.0f);

            for (auto& allPass : allPasses)
                x = allPass.processSample (x);

            for (int c = 0; c < 2; ++c)
            {
                ASSERT_TRUE (sameBits (sum.getSample (c, n), expected.getSample (c, n))) << "block " << block << ", sample " << n;

                // After the first 10 ms ramp from the default crossovers has died away.
                if (block >= 10)
                {
                    ASSERT_NEAR (sum.getSample (c, n), x.getLane (c), 1.0e-4f) << "block " << block << ", sample " << n;
                }
            }
        }
    }
}
