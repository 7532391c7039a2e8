#pragma once

#include "tools/ZenvarSplitInstanceState.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <memory>

/** Four instances of the built Zenvar VST3 bundle in one process, loaded through JUCE's VST3
    hosting exactly as a host loads them, that together split a signal into its four bands.

    The plug-in arranges the split by itself: every new instance joins link group 0 and switches on
    the band after the previous instance's. The crossovers are set on the first instance only; its
    audio callback pushes them to the other members of the link group at its next block. All calls
    belong on the main (message) thread, which also runs the audio. */
class ZenvarSplitHost
{
public:
    static constexpr int numBands = 4;

    /** One buffer per band, each with the host's channel count. */
    using BandBuffers = std::array<juce::AudioBuffer<float>, numBands>;

    /** Loads `bundle` and creates and prepares four instances for `numChannels` (1 or 2) at
        `sampleRate`, in blocks of at most `maxBlockSize` samples. Throws ZenvarSplitFailure when
        the bundle is missing or cannot be loaded, an instance refuses the channel layout, or the
        instances did not start in link group 0 with bands 1, 2, 3 and 4 on. */
    ZenvarSplitHost (const juce::File& bundle, int numChannels, double sampleRate, int maxBlockSize);
    ~ZenvarSplitHost();

    /** Sets the crossovers (Hz, ascending, 20..20000) on the first instance only, then runs
        silence through all four until the link group has carried them and every crossover ramp
        has finished, so that the signal that follows meets steady filters with silent state.
        Throws ZenvarSplitFailure unless all four instances then hold them. */
    void applyCrossovers (const std::array<double, 3>& crossoversHz);

    /** Runs the first `numSamples` (at most the block size) of `input` through the four
        instances, first instance first; band k's signal lands in bands[k]. */
    void process (const juce::AudioBuffer<float>& input, int numSamples, BandBuffers& bands);

    /** Allocates band buffers of the host's channel count and block size. */
    BandBuffers createBandBuffers() const;

    /** What each instance holds, read from the state it hands its host. */
    std::array<ZenvarSplitInstanceState, numBands> readInstanceStates();

    /** The crossovers the instances hold (Hz), as the plug-in maps them from their normalised
        parameter values. Valid after applyCrossovers(). */
    const std::array<float, 3>& getCrossoversHz() const noexcept { return heldCrossoversHz; }

    int getNumChannels() const noexcept { return numChannels; }
    double getSampleRate() const noexcept { return sampleRate; }
    int getMaxBlockSize() const noexcept { return maxBlockSize; }

    //==============================================================================
    /** The plug-in's square-law crossover scale: the normalised parameter value of `hz`,
        sqrt ((hz - 20) / 19980). */
    static float crossoverToNormalised (double hz) noexcept;

    /** The frequency in Hz that the plug-in derives from a normalised crossover value,
        20 + 19980 v², computed in double precision and rounded to float as the plug-in does. */
    static float normalisedToCrossoverHz (float normalisedValue) noexcept;

    /** Makes a bundle path absolute and free of "." and ".." parts, which JUCE's VST3 scanner
        needs to recognise the bundle. */
    static juce::File resolveBundlePath (const juce::String& path);

private:
    void loadInstances (const juce::File& bundle);
    void prepareInstances();
    void verifyStartingArrangement();
    void verifyCrossoversHeld (const std::array<float, 3>& expectedHz);
    void runSilence (int numSamples);

    int numChannels;
    double sampleRate;
    int maxBlockSize;

    juce::VST3PluginFormat format;
    std::array<std::unique_ptr<juce::AudioPluginInstance>, numBands> instances;
    std::array<float, 3> heldCrossoversHz {};
    juce::AudioBuffer<float> silence;
    juce::MidiBuffer midi;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarSplitHost)
};
