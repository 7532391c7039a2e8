#include "tools/HostedProcessorState.h"

#include <cstring>

namespace
{
constexpr size_t processorBlockOffset = 16 + 160;
constexpr size_t processorBlockSize = 36;
constexpr size_t linkGroupField = 0;
constexpr size_t firstCrossoverField = 4;
constexpr size_t zoomField = 32;
} // namespace

HostedProcessorState::HostedProcessorState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock saved;
    instance.getStateInformation (saved);
    hostState = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize());

    if (auto* component = hostState != nullptr ? hostState->getChildByName ("IComponent") : nullptr)
        componentState.fromBase64Encoding (component->getAllSubText());
}

HostedProcessorState::~HostedProcessorState() = default;

bool HostedProcessorState::isValid() const noexcept
{
    return componentState.getSize() >= processorBlockOffset + processorBlockSize;
}

int HostedProcessorState::getLinkGroup() const noexcept
{
    return (int) readField (linkGroupField);
}

float HostedProcessorState::getZoomFactor() const noexcept
{
    const auto bits = readField (zoomField);
    float value;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}

void HostedProcessorState::setLinkGroup (int group) noexcept
{
    writeField (linkGroupField, (juce::uint32) group);
}

void HostedProcessorState::setCrossoverHz (int index, float frequencyHz) noexcept
{
    juce::uint32 bits;
    std::memcpy (&bits, &frequencyHz, sizeof (bits));
    writeField (firstCrossoverField + 4 * (size_t) juce::jlimit (0, 2, index), bits);
}

void HostedProcessorState::restoreInto (juce::AudioPluginInstance& instance) const
{
    if (! isValid())
        return;

    juce::XmlElement edited (*hostState);
    auto* component = edited.getChildByName ("IComponent");
    component->deleteAllTextElements();
    component->addTextElement (componentState.toBase64Encoding());

    juce::MemoryBlock saved;
    juce::AudioProcessor::copyXmlToBinary (edited, saved);
    instance.setStateInformation (saved.getData(), (int) saved.getSize());
}

juce::uint32 HostedProcessorState::readField (size_t offset) const noexcept
{
    if (! isValid())
        return 0;

    return juce::ByteOrder::littleEndianInt (static_cast<const char*> (componentState.getData()) + processorBlockOffset + offset);
}

void HostedProcessorState::writeField (size_t offset, juce::uint32 value) noexcept
{
    if (! isValid())
        return;

    const auto littleEndian = juce::ByteOrder::swapIfBigEndian (value);
    std::memcpy (static_cast<char*> (componentState.getData()) + processorBlockOffset + offset, &littleEndian, sizeof (littleEndian));
}
