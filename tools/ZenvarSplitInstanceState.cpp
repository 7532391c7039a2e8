#include "tools/ZenvarSplitInstanceState.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstring>

namespace
{
constexpr size_t pluginBlockSize = 36;

// The plug-in declares that it replaces a VST2 plug-in, so its VST3 layer puts a "VstW" header
// and a 160-byte "CcnK" bank header before the plug-in's own bytes.
constexpr size_t vst2BankHeaderSize = 160;
constexpr size_t vst2BankChunkSizeOffset = 156;

juce::uint32 readBigEndian (const juce::uint8* bytes) noexcept
{
    return juce::ByteOrder::bigEndianInt (bytes);
}

bool startsWith (const juce::uint8* bytes, size_t numBytes, const char* magic) noexcept
{
    return numBytes >= 4 && std::memcmp (bytes, magic, 4) == 0;
}

/** Skips the VST2-compatibility headers, if present, and returns the plug-in's own bytes. */
std::optional<juce::MemoryBlock> stripVst2Headers (const juce::MemoryBlock& component)
{
    auto* bytes = static_cast<const juce::uint8*> (component.getData());
    auto numBytes = component.getSize();

    if (startsWith (bytes, numBytes, "VstW"))
    {
        if (numBytes < 8)
            return std::nullopt;

        const auto headerBytes = (size_t) 8 + readBigEndian (bytes + 4);

        if (headerBytes > numBytes)
            return std::nullopt;

        bytes += headerBytes;
        numBytes -= headerBytes;
    }

    if (startsWith (bytes, numBytes, "CcnK"))
    {
        if (numBytes < vst2BankHeaderSize)
            return std::nullopt;

        const auto chunkSize = (size_t) readBigEndian (bytes + vst2BankChunkSizeOffset);

        if (chunkSize > numBytes - vst2BankHeaderSize)
            return std::nullopt;

        return juce::MemoryBlock (bytes + vst2BankHeaderSize, chunkSize);
    }

    return juce::MemoryBlock (bytes, numBytes);
}
} // namespace

//==============================================================================
bool ZenvarSplitInstanceState::isBandOn (int band) const noexcept
{
    const auto value = bandSwitches[(size_t) band];
    return ! std::isnan (value) && std::round (value) != 0.0f;
}

int ZenvarSplitInstanceState::getSoleBandOn() const noexcept
{
    auto soleBand = -1;

    for (int band = 0; band < 4; ++band)
    {
        if (! isBandOn (band))
            continue;

        if (soleBand >= 0)
            return -1;

        soleBand = band;
    }

    return soleBand;
}

juce::String ZenvarSplitInstanceState::describe() const
{
    juce::StringArray bandsOn;

    for (int band = 0; band < 4; ++band)
        if (isBandOn (band))
            bandsOn.add (juce::String (band + 1));

    const auto bands = bandsOn.isEmpty() ? juce::String ("no band on")
                                         : (bandsOn.size() == 1 ? "band " : "bands ") + bandsOn.joinIntoString ("+") + " on";

    return "link group " + juce::String (linkGroup) + ", " + bands + ", crossovers "
           + juce::String (crossoversHz[0], 1) + " Hz, " + juce::String (crossoversHz[1], 1) + " Hz, "
           + juce::String (crossoversHz[2], 1) + " Hz";
}

std::optional<ZenvarSplitInstanceState> ZenvarSplitInstanceState::fromPluginBlock (const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes < pluginBlockSize)
        return std::nullopt;

    juce::MemoryInputStream stream (data, numBytes, false);
    ZenvarSplitInstanceState state;
    state.linkGroup = stream.readInt();

    for (auto& hz : state.crossoversHz)
        hz = stream.readFloat();

    for (auto& value : state.bandSwitches)
        value = stream.readFloat();

    return state;
}

std::optional<ZenvarSplitInstanceState> ZenvarSplitInstanceState::fromHostedState (const juce::MemoryBlock& hostedState)
{
    const auto xml = juce::AudioProcessor::getXmlFromBinary (hostedState.getData(), (int) hostedState.getSize());

    if (xml == nullptr)
        return std::nullopt;

    auto* componentElement = xml->getChildByName ("IComponent");

    if (componentElement == nullptr)
        return std::nullopt;

    juce::MemoryBlock component;

    if (! component.fromBase64Encoding (componentElement->getAllSubText()))
        return std::nullopt;

    const auto pluginBytes = stripVst2Headers (component);

    if (! pluginBytes.has_value())
        return std::nullopt;

    return fromPluginBlock (pluginBytes->getData(), pluginBytes->getSize());
}
