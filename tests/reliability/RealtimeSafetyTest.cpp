// The audio callback under a trap for heap operations, locks and waits: many blocks of every size
// at every supported rate and layout, with random automation of all seven parameters, band
// switching (the bypass included) and crossover pushes between members of link groups.

#include "reliability/AudioThreadTrap.h"
#include "reliability/SimulatedHost.h"
#include "support/ZenvarTestSupport.h"

#include <iostream>

using namespace zenvar;
using namespace zenvar::test;

namespace
{
struct AudioSetting
{
    double sampleRateHz;
    int numChannels;
};

void PrintTo (const AudioSetting& setting, std::ostream* stream)
{
    *stream << setting.sampleRateHz << " Hz, " << (setting.numChannels == 1 ? "mono" : "stereo");
}

std::string nameOf (const ::testing::TestParamInfo<AudioSetting>& info)
{
    return (info.param.numChannels == 1 ? "Mono" : "Stereo") + std::to_string ((int) info.param.sampleRateHz);
}

std::vector<AudioSetting> allSettings()
{
    std::vector<AudioSetting> settings;

    for (auto rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 })
        for (auto channels : { 1, 2 })
            settings.push_back ({ rate, channels });

    return settings;
}

constexpr int numBlocksPerSetting = 3000;
constexpr int maximumBlockSize = 4096;

/** Five instances, as a host would have them: three linked in group 0, two in group 5, each with
    its own block buffer, all processed on the test thread under the trap. */
class RealtimeSafetyTest : public ::testing::TestWithParam<AudioSetting>
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 5; ++i)
            processors.push_back (&instances.create());

        processors[3]->moveToLinkGroup (5);
        processors[4]->moveToLinkGroup (5);

        for (auto* processor : processors)
        {
            ASSERT_TRUE (processor->setBusesLayout (makeLayout (GetParam().numChannels)));
            processor->setPlayHead (processor == processors[4] ? nullptr : &playHead);
            processor->prepareToPlay (GetParam().sampleRateHz, maximumBlockSize);
        }

        random.setSeed ((juce::int64) GetParam().sampleRateHz * GetParam().numChannels);
        AudioThreadTrap::clear();
    }

    /** Host automation between blocks, as a host applies it before calling the callback: any of
        the seven parameters may change, and the band switches follow a random pattern. Returns
        the crossovers changed to a value no other member holds, which the block must push. */
    std::vector<std::pair<int, float>> automate (ZenvarAudioProcessor& processor)
    {
        std::vector<std::pair<int, float>> pushedCrossovers;

        for (int index = 0; index < numCrossovers; ++index)
        {
            if (random.nextInt (3) != 0)
                continue;

            const auto value = random.nextInt (10) == 0 ? (float) random.nextInt (2) : random.nextFloat();
            static_cast<juce::AudioProcessorParameter&> (processor.getParameterAt (index)).setValue (value);

            if (value > 0.0f && value < 1.0f)
                pushedCrossovers.emplace_back (index, value);
        }

        if (random.nextInt (4) == 0)
            for (int band = 0; band < numBands; ++band)
                static_cast<juce::AudioProcessorParameter&> (processor.getParameterAt (firstBandSwitchIndex + band))
                    .setValue (chooseBandSwitchValue (random));

        return pushedCrossovers;
    }

    /** Moves a random instance to a random group now and then, as the message thread may. */
    void maybeMoveAnInstance()
    {
        if (random.nextInt (50) == 0)
            processors[(size_t) random.nextInt ((int) processors.size())]->moveToLinkGroup (random.nextBool() ? 0 : 5);
    }

    juce::ScopedJuceInitialiser_GUI juce;
    Instances instances;
    std::vector<ZenvarAudioProcessor*> processors;
    SimulatedPlayHead playHead;
    juce::Random random;
};

INSTANTIATE_TEST_SUITE_P (EveryRateAndLayout, RealtimeSafetyTest, ::testing::ValuesIn (allSettings()), nameOf);
} // namespace

TEST_P (RealtimeSafetyTest, ProcessBlockNeverAllocatesLocksOrWaits)
{
    const auto numChannels = GetParam().numChannels;
    juce::AudioBuffer<float> storage (numChannels, maximumBlockSize);
    juce::MidiBuffer midi;
    long long numSamples = 0;
    int numPushesChecked = 0;

    for (int block = 0; block < numBlocksPerSetting; ++block)
    {
        auto& processor = *processors[(size_t) block % processors.size()];
        maybeMoveAnInstance();
        const auto pushedCrossovers = automate (processor);
        playHead.isPlaying = random.nextBool();

        const auto blockSize = chooseBlockSize (random);
        fillWithNoise (storage, blockSize, random);
        juce::AudioBuffer<float> buffer (storage.getArrayOfWritePointers(), numChannels, blockSize);

        {
            const AudioThreadTrap::ScopedAudioThread audioThread;
            processor.processBlock (buffer, midi);
        }

        if (AudioThreadTrap::getNumOffences() > 0)
            FAIL() << "block " << block << " of " << blockSize << " samples: " << AudioThreadTrap::describeFirstOffence();

        numSamples += blockSize;

        // The block must really have pushed: every other member now holds the new crossover.
        for (const auto& [index, value] : pushedCrossovers)
        {
            for (auto* member : processor.processorPool->getGroupMembers (processor.linkGroup))
            {
                if (member == &processor)
                    continue;

                EXPECT_EQ (static_cast<ZenvarAudioProcessor*> (member)->getParameterValue (index), value)
                    << "block " << block << ", crossover " << index;
                ++numPushesChecked;
            }
        }
    }

    EXPECT_GT (numPushesChecked, 0);
    std::cout << "[ realtime ] " << numBlocksPerSetting << " blocks, " << numSamples << " samples, "
              << numPushesChecked << " pushes checked\n";
}
