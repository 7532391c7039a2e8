#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** The processor's own 36-byte state block as found inside the state a VST3 host saves for a
    hosted Zenvar instance: in the XML's component state, behind the wrapper's 16-byte header and
    its 160-byte bank header. Reads link group, crossovers and zoom, edits them, and restores the
    edited state as a host loading a session would. [message thread] */
class HostedProcessorState
{
public:
    /** Takes the instance's current state. */
    explicit HostedProcessorState (juce::AudioPluginInstance& instance);
    ~HostedProcessorState();

    /** False when the state does not hold a whole processor block where it belongs. */
    bool isValid() const noexcept;

    int getLinkGroup() const noexcept;
    float getZoomFactor() const noexcept;

    void setLinkGroup (int group) noexcept;
    void setCrossoverHz (int index, float frequencyHz) noexcept;

    /** Hands the (edited) state back to `instance`. */
    void restoreInto (juce::AudioPluginInstance& instance) const;

private:
    juce::uint32 readField (size_t offset) const noexcept;
    void writeField (size_t offset, juce::uint32 value) noexcept;

    std::unique_ptr<juce::XmlElement> hostState;
    juce::MemoryBlock componentState;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HostedProcessorState)
};
