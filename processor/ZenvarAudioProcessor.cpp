#include "ZenvarAudioProcessor.h"

#include "editor/ZenvarAudioProcessorEditor.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr int numLinkGroups = 8;
constexpr float maximumEditorScale = 4.0f;

/** The normalised default of a parameter, with the starting band's switch turned on. */
float getNormalisedDefault (int index, int defaultActiveBand)
{
    const auto& row = zenvar::parameterTable[(size_t) index];

    if (index < zenvar::numCrossovers)
        return zenvar::frequencyToNormalised (row.defaultValue, index);

    const auto isStartingBand = index - zenvar::firstBandSwitchIndex + 1 == defaultActiveBand;
    const auto plainDefault = isStartingBand ? 1.0f : row.defaultValue;
    return (plainDefault - row.minimum) / (row.maximum - row.minimum);
}

/** Reads the next little-endian 32-bit field; a missing or partial field reads as 0. */
juce::uint32 readField (juce::MemoryInputStream& stream)
{
    return (juce::uint32) stream.readInt();
}

float asFloat (juce::uint32 bits)
{
    float value;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}

bool isFinite (zenvar::Float4 value) noexcept
{
    for (int lane = 0; lane < 4; ++lane)
        if (! std::isfinite (value.getLane (lane)))
            return false;

    return true;
}

/** True when no section of any of the splitter's filters holds a NaN or an infinity. */
bool hasFiniteFilterState (const zenvar::BandSplitter& splitter) noexcept
{
    for (int node = 0; node < zenvar::BandSplitter::numNodes; ++node)
    {
        const auto& filter = splitter.getFilter (static_cast<zenvar::BandSplitter::Node> (node));

        for (int index = 0; index < 2; ++index)
            for (const auto* section : { &filter.getLowSection (index), &filter.getHighSection (index) })
                if (! (isFinite (section->getDelay1()) && isFinite (section->getDelay2())))
                    return false;
    }

    return true;
}
} // namespace

//==============================================================================
ZenvarAudioProcessor::ZenvarAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
    , aaxClient (*this)
{
    processorPool = &AudioProcessorPool::getInstance();

    while (processorPool->getNumGroups() < numLinkGroups)
        processorPool->addGroup();

    const auto position = processorPool->addProcessor (this, 0);
    linkGroup = processorPool->getGroupOf (this);

    createParameters (position);
    copyCrossoversFrom (dynamic_cast<ZenvarAudioProcessor*> (processorPool->getFirstProcessorInGroup (linkGroup)));
}

ZenvarAudioProcessor::~ZenvarAudioProcessor()
{
    processorPool->removeProcessor (this, false, true);
}

void ZenvarAudioProcessor::createParameters (int positionInGroupZero)
{
    const auto defaultActiveBand = (juce::jmax (0, positionInGroupZero) % zenvar::numBands) + 1;

    for (int index = 0; index < zenvar::numParameters; ++index)
    {
        const auto& row = zenvar::parameterTable[(size_t) index];
        const auto defaultValue = getNormalisedDefault (index, defaultActiveBand);

        auto parameter = std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { row.name, row.versionHint },
                                                                      row.name,
                                                                      juce::NormalisableRange<float> (0.0f, 1.0f),
                                                                      defaultValue);
        parameters[(size_t) index] = parameter.get();
        addParameter (parameter.release());

        if (index < zenvar::numCrossovers)
            lastCrossoverValues[(size_t) index] = defaultValue;
    }

    // From here on, other members of the link group may push crossover values into this one.
    parametersReady.store (true, std::memory_order_release);
}

//==============================================================================
const juce::String ZenvarAudioProcessor::getName() const { return "Zenvar"; }

void ZenvarAudioProcessor::prepareToPlay (double sampleRate, int)
{
    // A host that reports no usable rate leaves everything as it was.
    if (sampleRate == currentSampleRate.load() || ! (std::isfinite (sampleRate) && sampleRate > 0.0))
        return;

    currentSampleRate = sampleRate;
    bandSplitter.prepare (sampleRate);
}

void ZenvarAudioProcessor::releaseResources() {}

void ZenvarAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const juce::ScopedNoDenormals noDenormals;

    updateHostIsPlaying();

    for (auto channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());

    spectrumFeed.pushBlock (buffer.getArrayOfReadPointers(), buffer.getNumChannels(), buffer.getNumSamples());

    synchroniseCrossoversWithLinkGroup();

    // With every band on the sum of the bands is the input itself: pass it untouched. The
    // filters keep their state and the ramps wait until a band goes off again.
    if (areAllBandsOn())
        return;

    splitIntoBands (buffer);

    // A NaN or an infinity that reached the filters (in the input, or from a signal too loud for
    // single precision) would stay in their state and spoil every later block. Starting them
    // afresh lets the next block sound as it would after a prepare. (A host that never prepared
    // gets the splitter's own default rate.)
    if (! hasFiniteFilterState (bandSplitter))
        bandSplitter.prepare (currentSampleRate.load() > 0.0 ? currentSampleRate.load() : 44100.0);
}

bool ZenvarAudioProcessor::areAllBandsOn() const noexcept
{
    for (int index = zenvar::firstBandSwitchIndex; index < zenvar::numParameters; ++index)
        if (! zenvar::isBandSwitchOn (getParameterValue (index)))
            return false;

    return true;
}

void ZenvarAudioProcessor::splitIntoBands (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto numChannels = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels());
    const auto* bandSwitches = parameters.data() + zenvar::firstBandSwitchIndex;

    // With the parameters' 0..1 range the plain value is the normalised value; get() reads it
    // without the virtual call, for every band of every channel of every sample.
    bandSplitter.process (buffer.getArrayOfWritePointers(), numChannels, buffer.getNumSamples(), [bandSwitches] (int band)
    {
        return zenvar::isBandSwitchOn (bandSwitches[band]->get());
    });
}

void ZenvarAudioProcessor::updateHostIsPlaying() noexcept
{
    auto isPlaying = false;

    if (auto* currentPlayHead = getPlayHead())
        if (const auto position = currentPlayHead->getPosition())
            isPlaying = position->getIsPlaying();

    hostIsPlaying.store (isPlaying, std::memory_order_relaxed);
}

void ZenvarAudioProcessor::synchroniseCrossoversWithLinkGroup() noexcept
{
    for (int index = 0; index < zenvar::numCrossovers; ++index)
    {
        const auto value = getParameterValue (index);
        auto& lastValue = lastCrossoverValues[(size_t) index];

        // Exact comparison on purpose: any change, however small, is passed on.
        if (value == lastValue)
            continue;

        lastValue = value;
        pushCrossoverToLinkGroup (index, value, [] (ZenvarAudioProcessor&) {});

        // A NaN value maps to NaN Hz, which the band splitter ignores: the last good target stays.
        bandSplitter.setCrossoverTarget (index, zenvar::normalisedToFrequency (value));
    }
}

//==============================================================================
double ZenvarAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool ZenvarAudioProcessor::acceptsMidi() const { return false; }
bool ZenvarAudioProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* ZenvarAudioProcessor::createEditor() { return new ZenvarAudioProcessorEditor (*this); }
bool ZenvarAudioProcessor::hasEditor() const { return true; }

int ZenvarAudioProcessor::getNumPrograms() { return 1; }
int ZenvarAudioProcessor::getCurrentProgram() { return 0; }
void ZenvarAudioProcessor::setCurrentProgram (int) {}
const juce::String ZenvarAudioProcessor::getProgramName (int) { return {}; }
void ZenvarAudioProcessor::changeProgramName (int, const juce::String&) {}

//==============================================================================
void ZenvarAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::MemoryOutputStream stream (destData, true);

    stream.writeInt (linkGroup.load());

    for (int index = 0; index < zenvar::numCrossovers; ++index)
        stream.writeFloat (zenvar::normalisedToFrequency (getParameterValue (index)));

    for (int index = zenvar::firstBandSwitchIndex; index < zenvar::numParameters; ++index)
        stream.writeFloat (getParameterValue (index));

    stream.writeFloat (editorScale.load());
}

void ZenvarAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    juce::MemoryInputStream stream (data, (size_t) juce::jmax (0, sizeInBytes), false);

    moveToLinkGroup ((int) readField (stream));

    for (int index = 0; index < zenvar::numParameters; ++index)
    {
        const auto field = asFloat (readField (stream));

        // Crossovers outside 20..20000 Hz are clamped into range by the mapping; a band switch that
        // is not a finite number (never written by us) loads as off.
        const auto value = index < zenvar::numCrossovers ? zenvar::frequencyToNormalised (field, index)
                                                         : (std::isfinite (field) ? field : 0.0f);

        if (auto* parameter = dynamic_cast<juce::AudioParameterFloat*> (getParameters()[index]))
            parameter->setValueNotifyingHost (value);
    }

    // A zoom below 1 (a missing field included) or not a finite number loads as 1; an absurdly large one
    // is limited so the editor cannot ask for a window larger than any screen.
    const auto scale = asFloat (readField (stream));
    editorScale = std::isfinite (scale) ? juce::jlimit (1.0f, maximumEditorScale, scale) : 1.0f;
}

//==============================================================================
bool ZenvarAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto input = layouts.getMainInputChannelSet();
    const auto output = layouts.getMainOutputChannelSet();

    return input == output
        && ! layouts.inputBuses.isEmpty()
        && juce::isPositiveAndBelow (input.size() - 1, 2);
}

#if ! ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS
juce::int32 ZenvarAudioProcessor::getAAXPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                                  const juce::AudioChannelSet& mainOutputLayout,
                                                                  bool idForAudioSuite) const
{
    return aaxClient.getPluginIDForMainBusConfig (mainInputLayout, mainOutputLayout, idForAudioSuite);
}
#endif

//==============================================================================
void ZenvarAudioProcessor::copyCrossoversFrom (const ZenvarAudioProcessor* source)
{
    if (source == nullptr || source == this)
        return;

    for (int index = 0; index < zenvar::numCrossovers; ++index)
        getParameterAt (index).setValueNotifyingHost (source->getParameterValue (index));
}

void ZenvarAudioProcessor::moveToLinkGroup (int group)
{
    if (group == linkGroup.load() || ! juce::isPositiveAndBelow (group, numLinkGroups))
        return;

    linkGroup = group;
    processorPool->removeProcessor (this, false, true);

    while (processorPool->getNumGroups() <= group)
        processorPool->addGroup();

    copyCrossoversFrom (dynamic_cast<ZenvarAudioProcessor*> (processorPool->getFirstProcessorInGroup (group)));
    processorPool->addProcessor (this, group);
}

juce::AudioParameterFloat& ZenvarAudioProcessor::getParameterAt (int index) const noexcept
{
    jassert (juce::isPositiveAndBelow (index, zenvar::numParameters));
    return *parameters[(size_t) index];
}

float ZenvarAudioProcessor::getParameterValue (int index) const noexcept
{
    return static_cast<const juce::AudioProcessorParameter&> (getParameterAt (index)).getValue();
}

void ZenvarAudioProcessor::receivePushedCrossover (int index, float normalisedValue) noexcept
{
    if (parametersReady.load (std::memory_order_acquire))
        static_cast<juce::AudioProcessorParameter&> (getParameterAt (index)).setValue (normalisedValue);
}
