#pragma once

// The plug-in component's saved state as a VST3 host stores and restores it.

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cstring>

namespace zenvar::test
{

/** Size of the processor's own saved state, and of what the plug-in's VST3 component puts in
    front of it: a VST2-compatible header and bank (the plug-in takes over from a VST2 version). */
constexpr size_t processorStateSize = 36;
constexpr size_t vst2HeaderSize = 16;
constexpr size_t bankHeaderSize = 160;

/** The bytes the plug-in's component hands the host: the VST2-compatible header and bank, then
    the processor's own state, then the framework's private data. */
inline juce::MemoryBlock getComponentState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock hostState;
    instance.getStateInformation (hostState);
    juce::MemoryBlock component;

    if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
        if (auto* child = xml->getChildByName ("IComponent"))
            component.fromBase64Encoding (child->getAllSubText());

    return component;
}

/** The processor's own 36 bytes from the chunk of a component state (the framework's private
    data follows them), or nothing if the bank header is not where it belongs. */
inline juce::MemoryBlock getProcessorState (juce::AudioPluginInstance& instance)
{
    const auto component = getComponentState (instance);

    if (component.getSize() < vst2HeaderSize + bankHeaderSize || std::memcmp (component.getData(), "VstW", 4) != 0)
        return {};

    const auto chunkSize = (size_t) juce::ByteOrder::bigEndianInt (component.begin() + vst2HeaderSize + bankHeaderSize - 4);
    const auto available = component.getSize() - vst2HeaderSize - bankHeaderSize;
    return { component.begin() + vst2HeaderSize + bankHeaderSize, std::min ({ chunkSize, available, processorStateSize }) };
}

/** Hands `bytes` to the plug-in's component as its state, the way a host restores a project. */
inline void setComponentState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& bytes)
{
    juce::XmlElement xml ("VST3PluginState");
    xml.createNewChildElement ("IComponent")->addTextElement (bytes.toBase64Encoding());
    juce::MemoryBlock hostState;
    juce::AudioProcessor::copyXmlToBinary (xml, hostState);
    instance.setStateInformation (hostState.getData(), (int) hostState.getSize());
}

/** Wraps a processor state into a bank the way the plug-in writes its component state. */
inline juce::MemoryBlock wrapInBank (const juce::MemoryBlock& processorState)
{
    juce::MemoryOutputStream stream;

    for (auto field : { "VstW", "\0\0\0\x08", "\0\0\0\x01", "\0\0\0\0" })
        stream.write (field, 4);

    juce::MemoryBlock bank (bankHeaderSize, true);
    std::memcpy (bank.begin(), "CcnK", 4);
    std::memcpy (bank.begin() + 8, "FBCh", 4);
    bank[15] = 2;
    const auto size = juce::ByteOrder::swapIfLittleEndian ((juce::uint32) processorState.getSize());
    std::memcpy (bank.begin() + bankHeaderSize - 4, &size, 4);
    stream << bank << processorState;
    return stream.getMemoryBlock();
}

} // namespace zenvar::test
