#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cmath>

namespace zenvar::test
{

/** A play head whose transport state the test switches; reading it neither allocates nor locks. */
class SimulatedPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo position;
        position.setIsPlaying (isPlaying.load (std::memory_order_relaxed));
        return position;
    }

    std::atomic<bool> isPlaying { false };
};

/** Equal main input and output layouts of `numChannels` (1 or 2) channels. */
inline juce::AudioProcessor::BusesLayout makeLayout (int numChannels)
{
    const auto channels = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (channels);
    layout.outputBuses.add (channels);
    return layout;
}

/** Block sizes a host may use: a quarter of them from the edges (0, 1, powers of two and their
    neighbours, the 4096 maximum), the rest spread evenly on a log scale over 1..4096. */
inline int chooseBlockSize (juce::Random& random)
{
    static constexpr int edgeSizes[] = { 0, 1, 2, 3, 31, 32, 33, 441, 1023, 1024, 1025, 4095, 4096 };

    if (random.nextInt (4) == 0)
        return edgeSizes[random.nextInt ((int) std::size (edgeSizes))];

    return juce::jlimit (1, 4096, (int) std::exp (random.nextDouble() * std::log (4097.0)));
}

/** Fills the first `numSamples` samples of every channel with white noise in -1..1. */
inline void fillWithNoise (juce::AudioBuffer<float>& buffer, int numSamples, juce::Random& random)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int sample = 0; sample < numSamples; ++sample)
            buffer.setSample (channel, sample, random.nextFloat() * 2.0f - 1.0f);
}

/** True when every one of the first `numSamples` samples of every channel is finite. */
inline bool isFinite (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int sample = 0; sample < numSamples; ++sample)
            if (! std::isfinite (buffer.getSample (channel, sample)))
                return false;

    return true;
}

/** A host's random automation of a band switch: mostly off or on, sometimes in between. */
inline float chooseBandSwitchValue (juce::Random& random)
{
    switch (random.nextInt (5))
    {
        case 0: return random.nextFloat();
        case 1: return 0.5f;
        default: return random.nextBool() ? 1.0f : 0.0f;
    }
}

} // namespace zenvar::test
