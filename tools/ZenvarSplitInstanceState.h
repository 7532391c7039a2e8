#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <optional>

/** What one hosted Zenvar instance holds, read from the state it hands its host: its link group,
    its three crossovers in Hz and its four band switches.

    The state is the host's only view of values the plug-in changes by itself: crossovers pushed
    through a link group reach the other instances without notifying their host, so the host's
    own parameter cache never sees them. */
struct ZenvarSplitInstanceState
{
    int linkGroup = -1;
    std::array<float, 3> crossoversHz {};
    std::array<float, 4> bandSwitches {};

    /** True when band `band` (0..3) is switched on: its value rounds to a non-zero integer. */
    bool isBandOn (int band) const noexcept;

    /** The only band switched on (0..3), or -1 when none or several are on. */
    int getSoleBandOn() const noexcept;

    /** One line for --report, e.g. "link group 0, band 2 on, crossovers 160.0 Hz, 1000.0 Hz,
        5000.0 Hz". */
    juce::String describe() const;

    /** Reads the state that JUCE's VST3 host returns from getStateInformation(): an XML wrapper
        around the component's state, which may begin with the VST2-compatible bank header that
        the plug-in writes. Returns nothing when the data does not hold the 36-byte block. */
    static std::optional<ZenvarSplitInstanceState> fromHostedState (const juce::MemoryBlock& hostedState);

    /** Reads the plug-in's own 36-byte block (little-endian: group, three crossovers in Hz, four
        band switches, zoom factor) from the start of `data`. */
    static std::optional<ZenvarSplitInstanceState> fromPluginBlock (const void* data, size_t numBytes);
};
