// The built bundle loaded through JUCE's VST3 hosting, checked for what a host sees and hears.

#include "support/BuiltBundle.h"
#include "support/NoiseBuffer.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

using zenvar::test::makeNoise;

namespace
{
class HostedPluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, zenvar::test::getBuiltBundle().getFullPathName());
        ASSERT_EQ (found.size(), 1);
        description = *found[0];
    }

    std::unique_ptr<juce::AudioPluginInstance> createInstance (double sampleRate = 44100.0, int blockSize = 512)
    {
        juce::String error;
        auto instance = format.createInstanceFromDescription (description, sampleRate, blockSize, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }

    static float valueOf (juce::AudioPluginInstance& instance, int index)
    {
        return instance.getParameters()[index]->getValue();
    }

    static std::vector<int> bandsOn (juce::AudioPluginInstance& instance)
    {
        std::vector<int> bands;

        for (int index = 3; index < 7; ++index)
            bands.push_back (valueOf (instance, index) >= 0.5f ? 1 : 0);

        return bands;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    juce::VST3PluginFormat format;
    juce::PluginDescription description;
};

} // namespace

TEST_F (HostedPluginTest, ScannerListsOneEffectWithItsIdentity)
{
    EXPECT_EQ (description.name, "Zenvar");
    EXPECT_EQ (description.manufacturerName, "Vantorell");
    EXPECT_EQ (description.category, "Fx");
    EXPECT_EQ (description.version, "1.0.7");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);
    EXPECT_EQ (description.pluginFormatName, "VST3");
}

TEST_F (HostedPluginTest, HostSeesSevenParametersAndTheFrameworksBypass)
{
    auto instance = createInstance();
    ASSERT_NE (instance, nullptr);

    const juce::StringArray expected { "Crossover Frequency 1", "Crossover Frequency 2", "Crossover Frequency 3",
                                       "Band 1 Active", "Band 2 Active", "Band 3 Active", "Band 4 Active", "Bypass" };
    const auto& parameters = instance->getParameters();
    ASSERT_EQ (parameters.size(), expected.size());

    for (int index = 0; index < expected.size(); ++index)
        EXPECT_EQ (parameters[index]->getName (100), expected[index]);

    EXPECT_EQ (parameters[0]->getText (valueOf (*instance, 0), 100), "0.0837079");
    EXPECT_FALSE (instance->acceptsMidi());
    EXPECT_FALSE (instance->producesMidi());
}

TEST_F (HostedPluginTest, FourFreshInstancesStartOnBandsOneToFourAndShareCrossovers)
{
    std::vector<std::unique_ptr<juce::AudioPluginInstance>> instances;

    for (int i = 0; i < 4; ++i)
        instances.push_back (createInstance());

    for (size_t i = 0; i < instances.size(); ++i)
    {
        ASSERT_NE (instances[i], nullptr);
        std::vector<int> expected (4, 0);
        expected[i] = 1;
        EXPECT_EQ (bandsOn (*instances[i]), expected) << "instance " << i;
    }

    // A crossover moved in the first instance reaches the others through its next block. Linked
    // instances do not tell their hosts, so the value is read back through what each one saves.
    instances[0]->getParameters()[1]->setValueNotifyingHost (0.35f);
    instances[0]->prepareToPlay (44100.0, 256);
    auto buffer = makeNoise (2, 256, 1);
    juce::MidiBuffer midi;
    instances[0]->processBlock (buffer, midi);

    for (size_t i = 1; i < instances.size(); ++i)
    {
        juce::MemoryBlock state;
        instances[i]->getStateInformation (state);
        auto reader = createInstance();
        reader->setStateInformation (state.getData(), (int) state.getSize());
        EXPECT_NEAR (valueOf (*reader, 1), 0.35f, 1.0e-6f) << "instance " << i;
    }
}

TEST_F (HostedPluginTest, OffersOnlyMonoAndStereoWithEqualInputAndOutput)
{
    auto instance = createInstance();
    ASSERT_NE (instance, nullptr);

    auto layoutOf = [] (const juce::AudioChannelSet& in, const juce::AudioChannelSet& out)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (in);
        layout.outputBuses.add (out);
        return layout;
    };

    EXPECT_TRUE (instance->setBusesLayout (layoutOf (juce::AudioChannelSet::mono(), juce::AudioChannelSet::mono())));
    EXPECT_FALSE (instance->setBusesLayout (layoutOf (juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo())));
    EXPECT_FALSE (instance->setBusesLayout (layoutOf (juce::AudioChannelSet::createLCR(), juce::AudioChannelSet::createLCR())));
    EXPECT_TRUE (instance->setBusesLayout (layoutOf (juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo())));
}

TEST_F (HostedPluginTest, StateSavedByTheHostRestoresAnotherInstance)
{
    auto saved = createInstance();
    auto restored = createInstance();
    ASSERT_TRUE (saved != nullptr && restored != nullptr);

    const float values[] = { 0.1f, 0.3f, 0.8f, 0.0f, 1.0f, 1.0f, 0.0f };

    for (int index = 0; index < 7; ++index)
        saved->getParameters()[index]->setValueNotifyingHost (values[index]);

    juce::MemoryBlock state;
    saved->getStateInformation (state);
    EXPECT_GT (state.getSize(), 36u);

    restored->setStateInformation (state.getData(), (int) state.getSize());

    for (int index = 0; index < 7; ++index)
        EXPECT_NEAR (valueOf (*restored, index), values[index], 1.0e-6f) << "parameter " << index;
}

TEST_F (HostedPluginTest, AllBandsOnPassesTheAudioUntouched)
{
    auto instance = createInstance();
    ASSERT_NE (instance, nullptr);

    for (int index = 3; index < 7; ++index)
        instance->getParameters()[index]->setValueNotifyingHost (1.0f);

    instance->prepareToPlay (48000.0, 512);
    const auto input = makeNoise (2, 512, 7);
    auto buffer = input;
    juce::MidiBuffer midi;
    instance->processBlock (buffer, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int sample = 0; sample < 512; ++sample)
            ASSERT_EQ (buffer.getSample (channel, sample), input.getSample (channel, sample));
}
