// The built bundle put through what strict hosts and validators do to a plug-in: many instances
// created and destroyed, prepares at every rate and block size in any order, hostile signals,
// automation from another thread, saved and damaged states, layout switches and repeated
// release and prepare.
//
// Non-finite input: a block with NaN or infinity in it may come out non-finite (or pass through
// untouched while all bands are on), but it leaves nothing behind: the next block sounds exactly
// as it would from a freshly prepared instance.

#include "reliability/ComponentState.h"
#include "reliability/SimulatedHost.h"
#include "support/BuiltBundle.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cfloat>
#include <cstring>
#include <random>
#include <thread>

using namespace zenvar::test;

namespace
{
using Instance = std::unique_ptr<juce::AudioPluginInstance>;
using BandPattern = std::array<bool, 4>;

constexpr int numParameters = 7;
constexpr int firstBandSwitch = 3;

class HostConformanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::OwnedArray<juce::PluginDescription> found;
        const auto bundle = getBuiltBundle().getFullPathName();
        format.findAllTypesForFile (found, bundle);
        ASSERT_EQ (found.size(), 1) << bundle;
        description = *found[0];
    }

    Instance createInstance()
    {
        juce::String error;
        auto instance = format.createInstanceFromDescription (description, 48000.0, 512, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }

    /** A new instance, switched to `numChannels` channels, its bands set and prepared. */
    Instance createPrepared (const BandPattern& bands, double sampleRate = 48000.0, int numChannels = 2)
    {
        auto instance = createInstance();

        if (instance != nullptr)
        {
            EXPECT_TRUE (instance->setBusesLayout (makeLayout (numChannels)));
            setBands (*instance, bands);
            instance->prepareToPlay (sampleRate, 4096);
        }

        return instance;
    }

    static void setParameter (juce::AudioPluginInstance& instance, int index, float value)
    {
        instance.getParameters()[index]->setValueNotifyingHost (value);
    }

    static float getParameter (juce::AudioPluginInstance& instance, int index)
    {
        return instance.getParameters()[index]->getValue();
    }

    static void setBands (juce::AudioPluginInstance& instance, const BandPattern& bands)
    {
        for (int band = 0; band < 4; ++band)
            setParameter (instance, firstBandSwitch + band, bands[(size_t) band] ? 1.0f : 0.0f);
    }

    static juce::AudioBuffer<float> process (juce::AudioPluginInstance& instance, const juce::AudioBuffer<float>& input)
    {
        auto buffer = input;
        juce::MidiBuffer midi;
        instance.processBlock (buffer, midi);
        return buffer;
    }

    static juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, juce::Random& random)
    {
        juce::AudioBuffer<float> buffer (numChannels, numSamples);
        fillWithNoise (buffer, numSamples, random);
        return buffer;
    }

    static float getPeak (const juce::AudioBuffer<float>& buffer)
    {
        auto peak = 0.0f;

        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            peak = std::max (peak, buffer.getMagnitude (channel, 0, buffer.getNumSamples()));

        return peak;
    }

    static void expectIdentical (const juce::AudioBuffer<float>& actual, const juce::AudioBuffer<float>& expected)
    {
        ASSERT_EQ (actual.getNumChannels(), expected.getNumChannels());
        ASSERT_EQ (actual.getNumSamples(), expected.getNumSamples());

        for (int channel = 0; channel < actual.getNumChannels(); ++channel)
            for (int sample = 0; sample < actual.getNumSamples(); ++sample)
                ASSERT_EQ (actual.getSample (channel, sample), expected.getSample (channel, sample))
                    << "channel " << channel << ", sample " << sample;
    }

    static void expectParametersInRange (juce::AudioPluginInstance& instance)
    {
        for (int index = 0; index < numParameters; ++index)
        {
            const auto value = getParameter (instance, index);
            EXPECT_TRUE (std::isfinite (value) && value >= 0.0f && value <= 1.0f) << "parameter " << index << ": " << value;
        }
    }

    juce::ScopedJuceInitialiser_GUI juce;
    juce::VST3PluginFormat format;
    juce::PluginDescription description;
    juce::Random random { 1234 };
};

int getOnlyBandOn (juce::AudioPluginInstance& instance)
{
    int bandOn = -1;

    for (int band = 0; band < 4; ++band)
    {
        if (instance.getParameters()[firstBandSwitch + band]->getValue() >= 0.5f)
        {
            if (bandOn >= 0)
                return -2;

            bandOn = band;
        }
    }

    return bandOn;
}
} // namespace

//==============================================================================
TEST_F (HostConformanceTest, CreatingAndDestroyingInAnyOrderKeepsTheStartingBandsRight)
{
    // All live instances are in link group 0, so a new one starts on band (number of them mod 4) + 1:
    // a destroyed instance that stayed registered, or a stale slot, would shift that.
    std::vector<Instance> live;

    for (int step = 0; step < 120; ++step)
    {
        if (live.size() < 6 && (live.empty() || random.nextInt (3) != 0))
        {
            const auto expectedBand = (int) live.size() % 4;
            live.push_back (createInstance());
            ASSERT_NE (live.back(), nullptr);
            ASSERT_EQ (getOnlyBandOn (*live.back()), expectedBand) << "step " << step;
        }
        else
        {
            live.erase (live.begin() + random.nextInt ((int) live.size()));
        }
    }
}

TEST_F (HostConformanceTest, PreparesAtEveryCommonRateAndBlockSizeInAnyOrder)
{
    const double rates[] = { 22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
    const int blockSizes[] = { 1, 16, 32, 64, 128, 256, 441, 480, 512, 1024, 2048, 4096 };
    std::vector<std::pair<double, int>> settings;

    for (auto rate : rates)
        for (auto blockSize : blockSizes)
            settings.emplace_back (rate, blockSize);

    std::shuffle (settings.begin(), settings.end(), std::mt19937 (7));

    auto instance = createPrepared ({ true, false, true, false });
    ASSERT_NE (instance, nullptr);

    for (const auto& [rate, blockSize] : settings)
    {
        SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (blockSize) + " samples");
        instance->prepareToPlay (rate, blockSize);

        // A host may send any block up to the prepared size.
        for (auto numSamples : { blockSize, 1 + random.nextInt (blockSize), 1 })
        {
            const auto output = process (*instance, makeNoise (2, numSamples, random));
            ASSERT_TRUE (isFinite (output, numSamples));
            ASSERT_LT (getPeak (output), 8.0f);
        }
    }

    // Whatever came before, a change of rate starts from clean filters.
    instance->prepareToPlay (44100.0, 512);
    instance->prepareToPlay (48000.0, 512);
    auto fresh = createPrepared ({ true, false, true, false });
    const auto input = makeNoise (2, 512, random);
    expectIdentical (process (*instance, input), process (*fresh, input));
}

TEST_F (HostConformanceTest, SilenceStaysSilentAndDenormalRangeInputGivesNoDenormals)
{
    auto instance = createPrepared ({ true, false, true, false });
    ASSERT_NE (instance, nullptr);

    juce::AudioBuffer<float> silence (2, 512);
    silence.clear();
    const auto silent = process (*instance, silence);
    EXPECT_EQ (getPeak (silent), 0.0f);

    juce::AudioBuffer<float> tiny (2, 512);

    for (int block = 0; block < 20; ++block)
    {
        for (int channel = 0; channel < 2; ++channel)
            for (int sample = 0; sample < tiny.getNumSamples(); ++sample)
                tiny.setSample (channel, sample, (random.nextFloat() * 2.0f - 1.0f) * FLT_MIN * std::pow (2.0f, -(float) random.nextInt (24)));

        const auto output = process (*instance, tiny);

        for (int channel = 0; channel < 2; ++channel)
            for (int sample = 0; sample < output.getNumSamples(); ++sample)
            {
                const auto value = output.getSample (channel, sample);
                ASSERT_TRUE (std::isfinite (value) && (value == 0.0f || std::abs (value) >= FLT_MIN))
                    << "block " << block << ", channel " << channel << ", sample " << sample << ": " << value;
            }
    }

    EXPECT_TRUE (isFinite (process (*instance, makeNoise (2, 512, random)), 512));
}

TEST_F (HostConformanceTest, NonFiniteInputLeavesNothingBehind)
{
    struct BadBlock
    {
        const char* name;
        float value;
        int channel; // -1: both
        int firstSample, numSamples;
    };

    const BadBlock badBlocks[] = {
        { "NaN at the first sample of the left channel", std::numeric_limits<float>::quiet_NaN(), 0, 0, 1 },
        { "+inf in the middle of both channels", std::numeric_limits<float>::infinity(), -1, 200, 1 },
        { "-inf at the last sample of the right channel", -std::numeric_limits<float>::infinity(), 1, 511, 1 },
        { "a whole block of NaN", std::numeric_limits<float>::quiet_NaN(), -1, 0, 512 },
        { "the largest finite values", FLT_MAX, -1, 100, 50 },
    };

    struct BandSetting
    {
        const char* name;
        BandPattern duringBadBlock, afterwards;
    };

    const BandSetting bandSettings[] = {
        { "band 1", { true, false, false, false }, { true, false, false, false } },
        { "bands 2 and 4", { false, true, false, true }, { false, true, false, true } },
        { "all bands on, then band 3 off", { true, true, true, true }, { true, true, false, true } },
        { "all bands off, then band 2 on", { false, false, false, false }, { false, true, false, false } },
    };

    for (const auto& bad : badBlocks)
    {
        for (const auto& bands : bandSettings)
        {
            SCOPED_TRACE (juce::String (bad.name) + ", " + bands.name);

            auto instance = createPrepared (bands.duringBadBlock);
            ASSERT_NE (instance, nullptr);
            process (*instance, makeNoise (2, 512, random));

            auto input = makeNoise (2, 512, random);

            for (int channel = 0; channel < 2; ++channel)
                if (bad.channel < 0 || bad.channel == channel)
                    for (int sample = bad.firstSample; sample < bad.firstSample + bad.numSamples; ++sample)
                        input.setSample (channel, sample, bad.value);

            process (*instance, input);

            setBands (*instance, bands.afterwards);
            auto fresh = createPrepared (bands.afterwards);
            ASSERT_NE (fresh, nullptr);

            for (int block = 0; block < 3; ++block)
            {
                const auto clean = makeNoise (2, 512, random);
                const auto output = process (*instance, clean);
                ASSERT_TRUE (isFinite (output, 512)) << "block " << block << " after the bad one";
                expectIdentical (output, process (*fresh, clean));
            }
        }
    }
}

TEST_F (HostConformanceTest, AutomationFromAnotherThreadWhileProcessingKeepsTheOutputFinite)
{
    auto instance = createPrepared ({ true, false, true, false }, 48000.0);
    ASSERT_NE (instance, nullptr);
    instance->prepareToPlay (48000.0, 256);

    std::atomic<bool> stop { false };
    std::atomic<int> numChanges { 0 };

    std::thread automation ([&]
                            {
                                juce::Random automationRandom (99);

                                while (! stop.load())
                                {
                                    const auto index = automationRandom.nextInt (numParameters);
                                    const auto value = automationRandom.nextInt (8) == 0 ? (float) automationRandom.nextInt (2)
                                                                                         : automationRandom.nextFloat();
                                    instance->getParameters()[index]->setValueNotifyingHost (value);
                                    numChanges.fetch_add (1);
                                }
                            });

    auto numNonFiniteBlocks = 0;
    auto lastNumChanges = 0;

    for (int block = 0; block < 1000; ++block)
    {
        // Each block waits for fresh automation, so every block runs with changes in flight.
        while (numChanges.load() == lastNumChanges)
            std::this_thread::yield();

        lastNumChanges = numChanges.load();
        const auto numSamples = 1 + random.nextInt (256);

        if (! isFinite (process (*instance, makeNoise (2, numSamples, random)), numSamples))
            ++numNonFiniteBlocks;
    }

    stop.store (true);
    automation.join();

    EXPECT_EQ (numNonFiniteBlocks, 0);
    expectParametersInRange (*instance);
}

TEST_F (HostConformanceTest, SavedStateRestoresBitForBitInAnotherInstanceAndGroup)
{
    auto original = createInstance();
    ASSERT_NE (original, nullptr);

    const float values[] = { 0.05f, 0.4f, 0.9f, 0.0f, 1.0f, 0.7f, 0.0f };

    for (int index = 0; index < numParameters; ++index)
        setParameter (*original, index, values[index]);

    // Into link group 3 through its own state, as a restored project would put it.
    auto processorState = getProcessorState (*original);
    ASSERT_EQ (processorState.getSize(), processorStateSize);
    processorState[0] = 3;
    setComponentState (*original, wrapInBank (processorState));

    const auto saved = getComponentState (*original);
    const auto savedProcessorState = getProcessorState (*original);
    ASSERT_EQ (savedProcessorState, processorState);

    for (int copy = 0; copy < 3; ++copy)
    {
        auto restored = createInstance();
        ASSERT_NE (restored, nullptr);
        setComponentState (*restored, saved);

        EXPECT_EQ (getProcessorState (*restored), savedProcessorState) << "copy " << copy;
        expectParametersInRange (*restored);
    }
}

TEST_F (HostConformanceTest, DamagedStatesLeaveAWorkingInstance)
{
    auto field = [] (float value)
    {
        juce::uint32 bits;
        std::memcpy (&bits, &value, sizeof (bits));
        return bits;
    };

    auto makeBlock = [] (std::initializer_list<juce::uint32> fields)
    {
        juce::MemoryOutputStream stream;

        for (auto value : fields)
            stream.writeInt ((int) value);

        return stream.getMemoryBlock();
    };

    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();

    struct DamagedState
    {
        const char* name;
        juce::MemoryBlock bytes;
    };

    const DamagedState damagedStates[] = {
        { "three bytes", juce::MemoryBlock ("\x01\x02\x03", 3) },
        { "group and two crossovers only", makeBlock ({ 2, field (500.0f), field (900.0f) }) },
        { "NaN everywhere", makeBlock ({ 0, field (nan), field (nan), field (nan), field (nan), field (nan), field (nan), field (nan), field (nan) }) },
        { "infinities everywhere", makeBlock ({ 1, field (inf), field (-inf), field (inf), field (inf), field (-inf), field (inf), field (inf), field (inf) }) },
        { "negative group and frequencies", makeBlock ({ (juce::uint32) -5, field (-100.0f), field (-0.0f), field (10.0f), field (-1.0f), field (2.0f), field (0.5f), field (1.0f), field (0.0f) }) },
        { "huge group and zoom", makeBlock ({ 0x7fffffff, field (1.0e30f), field (3.0e38f), field (20001.0f), field (1.0f), field (1.0f), field (1.0f), field (1.0f), field (1.0e30f) }) },
        { "all bits set", juce::MemoryBlock (std::vector<char> (100, (char) 0xff).data(), 100) },
    };

    for (const auto& damaged : damagedStates)
    {
        for (auto inBank : { true, false })
        {
            // A host hands back what the plug-in wrote (a bank); a damaged project may hold anything.
            SCOPED_TRACE (juce::String (damaged.name) + (inBank ? ", in a bank" : ", bare"));
            auto instance = createInstance();
            ASSERT_NE (instance, nullptr);

            setComponentState (*instance, inBank ? wrapInBank (damaged.bytes) : damaged.bytes);
            expectParametersInRange (*instance);

            instance->prepareToPlay (44100.0, 512);
            EXPECT_TRUE (isFinite (process (*instance, makeNoise (2, 512, random)), 512));

            // What it saves afterwards is a sound state: a known group, crossovers in range, zoom >= 1.
            const auto saved = getProcessorState (*instance);
            ASSERT_EQ (saved.getSize(), processorStateSize);
            juce::MemoryInputStream stream (saved, false);
            const auto group = stream.readInt();
            EXPECT_TRUE (group >= 0 && group < 8) << group;

            for (int index = 0; index < 8; ++index)
            {
                const auto value = stream.readFloat();
                const auto [low, high] = index < 3 ? std::pair (20.0f, 20000.0f) : index < 7 ? std::pair (0.0f, 1.0f) : std::pair (1.0f, FLT_MAX);
                EXPECT_TRUE (value >= low && value <= high) << "field " << index + 1 << ": " << value;
            }
        }
    }
}

TEST_F (HostConformanceTest, MonoMatchesEachChannelOfStereoAcrossLayoutSwitches)
{
    const BandPattern bands { false, true, false, true };
    auto first = createPrepared (bands, 44100.0, 1);
    auto second = createPrepared (bands, 44100.0, 2);
    ASSERT_TRUE (first != nullptr && second != nullptr);

    for (int round = 0; round < 8; ++round)
    {
        SCOPED_TRACE ("round " + juce::String (round));

        // One of the two instances is mono in every round, and they swap layouts each round.
        auto& mono = round % 2 == 0 ? *first : *second;
        auto& stereo = round % 2 == 0 ? *second : *first;

        for (int block = 0; block < 4; ++block)
        {
            const auto numSamples = 1 + random.nextInt (512);
            const auto signal = makeNoise (1, numSamples, random);
            juce::AudioBuffer<float> both (2, numSamples);
            both.copyFrom (0, 0, signal, 0, 0, numSamples);
            both.copyFrom (1, 0, signal, 0, 0, numSamples);

            const auto monoOut = process (mono, signal);
            const auto stereoOut = process (stereo, both);
            ASSERT_TRUE (isFinite (monoOut, numSamples) && isFinite (stereoOut, numSamples));
            ASSERT_GT (getPeak (monoOut), 0.0f);

            // Channel 0 has the same history in both, whatever the layouts were before.
            for (int sample = 0; sample < numSamples; ++sample)
                ASSERT_EQ (monoOut.getSample (0, sample), stereoOut.getSample (0, sample)) << "sample " << sample;
        }

        for (auto* instance : { first.get(), second.get() })
        {
            instance->releaseResources();
            ASSERT_TRUE (instance->setBusesLayout (makeLayout (instance == &mono ? 2 : 1)));
            instance->prepareToPlay (44100.0, 512);
        }
    }
}

TEST_F (HostConformanceTest, ReleaseAndPrepareAtTheSameRateLeaveTheSoundUnchanged)
{
    const BandPattern bands { true, false, false, true };
    auto restarted = createPrepared (bands);
    auto untouched = createPrepared (bands);
    ASSERT_TRUE (restarted != nullptr && untouched != nullptr);

    for (int block = 0; block < 40; ++block)
    {
        SCOPED_TRACE ("block " + juce::String (block));

        if (block % 3 != 2)
            restarted->releaseResources();

        restarted->prepareToPlay (48000.0, block % 2 == 0 ? 4096 : 256);

        const auto input = makeNoise (2, 256, random);
        expectIdentical (process (*restarted, input), process (*untouched, input));
    }
}

TEST_F (HostConformanceTest, EditorOpensAndClosesRepeatedlyAroundProcessingAndStateChanges)
{
    auto instance = createPrepared ({ true, true, false, false });
    ASSERT_NE (instance, nullptr);
    ASSERT_TRUE (instance->hasEditor());
    const auto state = getComponentState (*instance);

    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE ("round " + juce::String (round));
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        EXPECT_GT (editor->getWidth(), 0);

        EXPECT_TRUE (isFinite (process (*instance, makeNoise (2, 512, random)), 512));
        setComponentState (*instance, state);
        setParameter (*instance, random.nextInt (numParameters), random.nextFloat());
        EXPECT_TRUE (isFinite (process (*instance, makeNoise (2, 512, random)), 512));
    }

    expectParametersInRange (*instance);
}
