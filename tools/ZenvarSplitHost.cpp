#include "tools/ZenvarSplitHost.h"

#include "tools/ZenvarSplitFailure.h"

#include <cmath>
#include <filesystem>

namespace
{
constexpr int numCrossovers = 3;

/** How long the link group's push and the plug-in's crossover ramps (10 ms) need at most, with a
    margin; the settling silence lasts this long plus one block. */
constexpr double settlingSeconds = 0.02;

juce::String describeInstance (int index)
{
    return "instance " + juce::String (index + 1) + " of " + juce::String (ZenvarSplitHost::numBands);
}
} // namespace

//==============================================================================
ZenvarSplitHost::ZenvarSplitHost (const juce::File& bundle, int channels, double rate, int blockSize)
    : numChannels (channels)
    , sampleRate (rate)
    , maxBlockSize (blockSize)
    , silence (channels, blockSize)
{
    jassert (numChannels == 1 || numChannels == 2);
    jassert (sampleRate > 0.0 && maxBlockSize > 0);

    loadInstances (bundle);
    prepareInstances();
    verifyStartingArrangement();
}

ZenvarSplitHost::~ZenvarSplitHost()
{
    for (auto& instance : instances)
        if (instance != nullptr)
            instance->releaseResources();
}

//==============================================================================
float ZenvarSplitHost::crossoverToNormalised (double hz) noexcept
{
    return (float) std::sqrt ((hz - 20.0) / 19980.0);
}

float ZenvarSplitHost::normalisedToCrossoverHz (float normalisedValue) noexcept
{
    const auto v = (double) normalisedValue;
    return (float) (v * v * 19980.0 + 20.0);
}

juce::File ZenvarSplitHost::resolveBundlePath (const juce::String& path)
{
    const auto absolute = std::filesystem::absolute (std::filesystem::path (path.toStdString()));
    auto normal = absolute.lexically_normal();

    if (! normal.has_filename())
        normal = normal.parent_path();

    return juce::File (juce::String (normal.string()));
}

//==============================================================================
void ZenvarSplitHost::loadInstances (const juce::File& bundle)
{
    if (! bundle.exists())
        throw ZenvarSplitFailure ("the Zenvar plug-in bundle was not found at " + bundle.getFullPathName()
                                  + ".\nBuild it with scripts/run.sh (or: cmake --build <build folder> --target Zenvar_VST3),"
                                    " or point --plugin at a Zenvar.vst3 bundle.");

    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.isEmpty())
        throw ZenvarSplitFailure (bundle.getFullPathName()
                                  + " is not a VST3 bundle that can be loaded (rebuild it with scripts/run.sh,"
                                  + " or point --plugin at a Zenvar.vst3 bundle)");

    const auto& description = *found.getFirst();

    if (description.name != "Zenvar")
        throw ZenvarSplitFailure (bundle.getFullPathName() + " holds the plug-in \"" + description.name + "\", not Zenvar");

    for (size_t i = 0; i < instances.size(); ++i)
    {
        juce::String error;
        instances[i] = format.createInstanceFromDescription (description, sampleRate, maxBlockSize, error);

        if (instances[i] == nullptr)
            throw ZenvarSplitFailure ("could not create " + describeInstance ((int) i) + " of the plug-in from "
                                      + bundle.getFullPathName() + (error.isNotEmpty() ? ": " + error : juce::String()));
    }
}

void ZenvarSplitHost::prepareInstances()
{
    const auto channelSet = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (channelSet);
    layout.outputBuses.add (channelSet);

    for (size_t i = 0; i < instances.size(); ++i)
    {
        auto& instance = *instances[i];

        if (! instance.setBusesLayout (layout))
            throw ZenvarSplitFailure ("the plug-in refused a " + channelSet.getDescription().toLowerCase() + " layout");

        const auto& parameters = instance.getParameters();

        for (int index = 0; index < numCrossovers; ++index)
            if (parameters.size() <= index || parameters[index]->getName (64) != "Crossover Frequency " + juce::String (index + 1))
                throw ZenvarSplitFailure ("the plug-in does not offer \"Crossover Frequency " + juce::String (index + 1)
                                          + "\" as parameter " + juce::String (index + 1));

        instance.setNonRealtime (true);
        instance.prepareToPlay (sampleRate, maxBlockSize);
    }
}

void ZenvarSplitHost::verifyStartingArrangement()
{
    const auto states = readInstanceStates();

    for (int i = 0; i < numBands; ++i)
    {
        const auto& state = states[(size_t) i];

        if (state.linkGroup != 0 || state.getSoleBandOn() != i)
            throw ZenvarSplitFailure (describeInstance (i) + " started with " + state.describe()
                                      + ", but the plug-in should have put it in link group 0 with only band "
                                      + juce::String (i + 1) + " on. Is another Zenvar instance already running in"
                                                               " this process, or is this an older build of the plug-in?");
    }
}

//==============================================================================
void ZenvarSplitHost::applyCrossovers (const std::array<double, 3>& crossoversHz)
{
    std::array<float, numCrossovers> expectedHz {};
    const auto& firstParameters = instances[0]->getParameters();

    for (int index = 0; index < numCrossovers; ++index)
    {
        const auto normalised = crossoverToNormalised (crossoversHz[(size_t) index]);
        firstParameters[index]->setValue (normalised);
        expectedHz[(size_t) index] = normalisedToCrossoverHz (normalised);
    }

    runSilence ((int) std::ceil (settlingSeconds * sampleRate) + maxBlockSize);
    verifyCrossoversHeld (expectedHz);
    heldCrossoversHz = expectedHz;
}

void ZenvarSplitHost::verifyCrossoversHeld (const std::array<float, 3>& expectedHz)
{
    const auto states = readInstanceStates();

    for (int i = 0; i < numBands; ++i)
    {
        const auto& held = states[(size_t) i].crossoversHz;

        for (int index = 0; index < numCrossovers; ++index)
        {
            const auto expected = expectedHz[(size_t) index];

            if (! (std::abs (held[(size_t) index] - expected) <= expected * 1.0e-6f))
                throw ZenvarSplitFailure ("the link group did not carry the crossovers: " + describeInstance (i) + " holds "
                                          + states[(size_t) i].describe() + " instead of crossovers "
                                          + juce::String (expectedHz[0], 1) + " Hz, " + juce::String (expectedHz[1], 1)
                                          + " Hz, " + juce::String (expectedHz[2], 1) + " Hz");
        }
    }
}

void ZenvarSplitHost::runSilence (int numSamples)
{
    auto bands = createBandBuffers();

    for (int done = 0; done < numSamples; done += maxBlockSize)
    {
        silence.clear();
        process (silence, juce::jmin (maxBlockSize, numSamples - done), bands);
    }
}

//==============================================================================
ZenvarSplitHost::BandBuffers ZenvarSplitHost::createBandBuffers() const
{
    BandBuffers bands;

    for (auto& band : bands)
        band.setSize (numChannels, maxBlockSize);

    return bands;
}

void ZenvarSplitHost::process (const juce::AudioBuffer<float>& input, int numSamples, BandBuffers& bands)
{
    jassert (numSamples <= maxBlockSize && input.getNumChannels() >= numChannels);

    // The first instance runs first, so a crossover change it pushes reaches the others within
    // the same block.
    for (size_t band = 0; band < instances.size(); ++band)
    {
        auto& output = bands[band];

        for (int channel = 0; channel < numChannels; ++channel)
            output.copyFrom (channel, 0, input, channel, 0, numSamples);

        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), numChannels, numSamples);
        midi.clear();
        instances[band]->processBlock (block, midi);
    }
}

std::array<ZenvarSplitInstanceState, ZenvarSplitHost::numBands> ZenvarSplitHost::readInstanceStates()
{
    std::array<ZenvarSplitInstanceState, numBands> states;

    for (size_t i = 0; i < instances.size(); ++i)
    {
        juce::MemoryBlock hostedState;
        instances[i]->getStateInformation (hostedState);
        const auto state = ZenvarSplitInstanceState::fromHostedState (hostedState);

        if (! state.has_value())
            throw ZenvarSplitFailure ("could not read the state of " + describeInstance ((int) i)
                                      + "; is this an older build of the plug-in?");

        states[i] = *state;
    }

    return states;
}
