#pragma once

#include "processor/ZenvarAudioProcessor.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

namespace zenvar::test
{

/** Creates instances the way a host does and destroys them at the end of a test, newest first,
    so every test starts and ends with an empty registry. */
class Instances
{
public:
    ~Instances()
    {
        while (! processors.empty())
            processors.pop_back();
    }

    ZenvarAudioProcessor& create()
    {
        processors.push_back (std::make_unique<ZenvarAudioProcessor>());
        return *processors.back();
    }

    void destroy (ZenvarAudioProcessor& processor)
    {
        processors.erase (std::remove_if (processors.begin(), processors.end(), [&] (auto& p) { return p.get() == &processor; }),
                          processors.end());
    }

private:
    std::vector<std::unique_ptr<ZenvarAudioProcessor>> processors;
};

/** The band switches of a processor, as 1 (on) or 0 (off) per band. */
inline std::vector<int> getBandSwitches (const ZenvarAudioProcessor& processor)
{
    std::vector<int> switches;

    for (int band = 0; band < numBands; ++band)
        switches.push_back (isBandSwitchOn (processor.getParameterValue (firstBandSwitchIndex + band)) ? 1 : 0);

    return switches;
}

/** Records the parameter notifications and gestures a host would receive from a processor. */
class HostNotifications : public juce::AudioProcessorListener
{
public:
    explicit HostNotifications (juce::AudioProcessor& processorToWatch) : processor (processorToWatch)
    {
        processor.addListener (this);
    }

    ~HostNotifications() override { processor.removeListener (this); }

    struct Change
    {
        int parameterIndex;
        float value;
    };

    std::vector<Change> changes;
    std::vector<int> gestureBegins, gestureEnds;

    void audioProcessorParameterChanged (juce::AudioProcessor*, int parameterIndex, float newValue) override
    {
        changes.push_back ({ parameterIndex, newValue });
    }

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int parameterIndex) override
    {
        gestureBegins.push_back (parameterIndex);
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int parameterIndex) override
    {
        gestureEnds.push_back (parameterIndex);
    }

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

private:
    juce::AudioProcessor& processor;
};

/** Runs one block of `numSamples` through the processor with the given channel count. */
inline juce::AudioBuffer<float> processBlockOf (ZenvarAudioProcessor& processor, int numChannels, int numSamples, float value = 0.0f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int channel = 0; channel < numChannels; ++channel)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), value, numSamples);

    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
    return buffer;
}

} // namespace zenvar::test
