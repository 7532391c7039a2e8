#include "support/ZenvarTestSupport.h"

using namespace zenvar::test;

namespace
{
struct PluginIdentityTest : public ::testing::Test
{
    juce::ScopedJuceInitialiser_GUI juce;
    Instances instances;
};

using Set = juce::AudioChannelSet;

juce::AudioProcessor::BusesLayout makeLayout (const Set& input, const Set& output, bool withInputBus = true)
{
    juce::AudioProcessor::BusesLayout layout;

    if (withInputBus)
        layout.inputBuses.add (input);

    layout.outputBuses.add (output);
    return layout;
}
} // namespace

TEST_F (PluginIdentityTest, AcceptsOnlyEqualMonoOrStereoLayouts)
{
    struct Case
    {
        const char* name;
        juce::AudioProcessor::BusesLayout layout;
        bool accepted;
    };

    const Case cases[] = {
        { "mono to mono", makeLayout (Set::mono(), Set::mono()), true },
        { "stereo to stereo", makeLayout (Set::stereo(), Set::stereo()), true },
        { "mono to stereo", makeLayout (Set::mono(), Set::stereo()), false },
        { "stereo to mono", makeLayout (Set::stereo(), Set::mono()), false },
        { "LCR to LCR", makeLayout (Set::createLCR(), Set::createLCR()), false },
        { "5.1 to 5.1", makeLayout (Set::create5point1(), Set::create5point1()), false },
        { "two discrete channels, not stereo, to stereo", makeLayout (Set::discreteChannels (2), Set::stereo()), false },
        { "disabled input to stereo", makeLayout (Set::disabled(), Set::stereo()), false },
        { "disabled input and output", makeLayout (Set::disabled(), Set::disabled()), false },
        { "no input bus", makeLayout (Set::stereo(), Set::stereo(), false), false },
    };

    auto& processor = instances.create();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (processor.checkBusesLayoutSupported (c.layout), c.accepted);
    }
}

TEST_F (PluginIdentityTest, AnswersTheHostsQuestions)
{
    auto& processor = instances.create();

    EXPECT_EQ (processor.getName(), "Zenvar");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);

    processor.setCurrentProgram (3);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), juce::String());
    EXPECT_EQ (processor.getProgramName (7), juce::String());

    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getMainBusNumInputChannels(), 2);
    EXPECT_EQ (processor.getMainBusNumOutputChannels(), 2);
}

TEST_F (PluginIdentityTest, ParametersArePresentedAsNormalisedNumbers)
{
    auto& processor = instances.create();
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), zenvar::numParameters);

    for (int index = 0; index < zenvar::numParameters; ++index)
    {
        SCOPED_TRACE (index);
        auto* parameter = dynamic_cast<juce::AudioParameterFloat*> (parameters[index]);
        ASSERT_NE (parameter, nullptr);

        const auto& row = zenvar::parameterTable[(size_t) index];
        EXPECT_EQ (parameter->getParameterID(), row.name);
        EXPECT_EQ (parameter->getName (100), row.name);
        EXPECT_EQ (parameter->getVersionHint(), index < zenvar::numCrossovers ? 1 : 0);
        EXPECT_EQ (parameter->getLabel(), juce::String());
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_FALSE (parameter->isMetaParameter());
        EXPECT_EQ (static_cast<juce::AudioProcessorParameter*> (parameter)->getNumSteps(), juce::AudioProcessor::getDefaultNumParameterSteps());
    }

    auto& crossover1 = *parameters[0];
    EXPECT_EQ (crossover1.getCurrentValueAsText(), "0.0837079");
    EXPECT_EQ (parameters[3]->getCurrentValueAsText(), "1.0000000");
    EXPECT_EQ (parameters[4]->getCurrentValueAsText(), "0.0000000");
    EXPECT_FLOAT_EQ (crossover1.getValueForText ("0.25"), 0.25f);
}

TEST_F (PluginIdentityTest, AAXClientGivesLegacyIDsForMonoAndStereoOnly)
{
    auto& processor = instances.create();
    auto& client = *processor.getAAXClientExtensions();

    // The framework's own ID for a layout pair, which the client falls back to.
    auto frameworkID = [&] (const Set& in, const Set& out, bool audioSuite)
    {
        return processor.juce::AudioProcessor::getAAXPluginIDForMainBusConfig (in, out, audioSuite);
    };

    struct Case
    {
        const char* name;
        Set input, output;
        bool audioSuite;
        juce::int32 expected;
    };

    const Case cases[] = {
        { "mono to mono", Set::mono(), Set::mono(), false, 0x6a636161 },
        { "stereo to stereo", Set::stereo(), Set::stereo(), false, 0x6a636162 },
        { "mono to stereo", Set::mono(), Set::stereo(), false, frameworkID (Set::mono(), Set::stereo(), false) },
        { "mono to mono, AudioSuite", Set::mono(), Set::mono(), true, frameworkID (Set::mono(), Set::mono(), true) },
        { "stereo to stereo, AudioSuite", Set::stereo(), Set::stereo(), true, frameworkID (Set::stereo(), Set::stereo(), true) },
        { "LCR to LCR", Set::createLCR(), Set::createLCR(), false, frameworkID (Set::createLCR(), Set::createLCR(), false) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (client.getPluginIDForMainBusConfig (c.input, c.output, c.audioSuite), c.expected);
        EXPECT_EQ (processor.getAAXPluginIDForMainBusConfig (c.input, c.output, c.audioSuite), c.expected);
    }

    // The fallback is a real answer of its own, not one of the legacy IDs.
    EXPECT_NE (frameworkID (Set::mono(), Set::stereo(), false), 0x6a636161);
    EXPECT_NE (frameworkID (Set::mono(), Set::stereo(), false), 0x6a636162);
}
