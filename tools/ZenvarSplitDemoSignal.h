#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/** The demonstration signal zenvar-split can write for itself: eight seconds of music-like
    material at 120 beats per minute that reaches every band: a plucked bass line (band A), a kick
    drum, soft chords (bands B and C), and snare and hi-hat noise bursts (bands C and D). The
    same signal comes out every time. [any thread] */
class ZenvarSplitDemoSignal
{
public:
    static constexpr double lengthInSeconds = 8.0;
    static constexpr double defaultSampleRate = 44100.0;

    /** Renders the signal in stereo at `sampleRate`, peaking at -1 dBFS. */
    static juce::AudioBuffer<float> render (double sampleRate = defaultSampleRate);

    /** Writes the signal to `file` as a 24-bit stereo WAV at 44100 Hz, under a temporary name
        until complete. Throws ZenvarSplitFailure when it cannot be written. */
    static void writeTo (const juce::File& file);
};
