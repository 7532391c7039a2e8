#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace zenvar::test
{

/** A buffer of uniform white noise in -1..1, the same for the same seed. */
inline juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, juce::int64 seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int channel = 0; channel < numChannels; ++channel)
        for (int sample = 0; sample < numSamples; ++sample)
            buffer.setSample (channel, sample, random.nextFloat() * 2.0f - 1.0f);

    return buffer;
}

} // namespace zenvar::test
