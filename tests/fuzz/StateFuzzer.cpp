// libFuzzer target: arbitrary bytes as a saved state for a live, prepared instance that shares
// its link groups with others. After every input the instance must be sound: seven parameters
// finite and within 0..1, a zoom factor finite and at least 1, a link group within 0..7 that the
// registry agrees with, and a processed block that comes out finite (for it and for the instance
// it may push crossovers to).

#include "processor/ZenvarAudioProcessor.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
constexpr int blockSize = 256;

/** A small host: the instance under test plus two others, one in link group 0 with it and one in
    group 2, all prepared for stereo at 48 kHz, and one block of noise to process. */
struct FuzzHost
{
    FuzzHost()
    {
        for (int i = 0; i < 3; ++i)
        {
            instances.push_back (std::make_unique<ZenvarAudioProcessor>());
            instances.back()->prepareToPlay (48000.0, blockSize);
        }

        instances[2]->moveToLinkGroup (2);

        juce::Random random (1);

        for (int channel = 0; channel < noise.getNumChannels(); ++channel)
            for (int sample = 0; sample < blockSize; ++sample)
                noise.setSample (channel, sample, random.nextFloat() * 2.0f - 1.0f);
    }

    /** Processes the noise block through `processor` and tells whether all of it came out finite. */
    bool processesToFiniteOutput (ZenvarAudioProcessor& processor)
    {
        buffer.makeCopyOf (noise, true);
        processor.processBlock (buffer, midi);

        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            for (int sample = 0; sample < blockSize; ++sample)
                if (! std::isfinite (buffer.getSample (channel, sample)))
                    return false;

        return true;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    std::vector<std::unique_ptr<ZenvarAudioProcessor>> instances;
    juce::AudioBuffer<float> noise { 2, blockSize }, buffer { 2, blockSize };
    juce::MidiBuffer midi;
};

FuzzHost* host = nullptr;

/** A broken promise is a crash as far as the fuzzer is concerned: it keeps the input. */
void require (bool condition, const char* promise, float value = 0.0f)
{
    if (! condition)
    {
        std::fprintf (stderr, "broken after setStateInformation: %s (value %g)\n", promise, (double) value);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    host = new FuzzHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = *host->instances[0];
    processor.setStateInformation (data, (int) size);

    for (int index = 0; index < zenvar::numParameters; ++index)
    {
        const auto value = processor.getParameterValue (index);
        require (std::isfinite (value) && value >= 0.0f && value <= 1.0f, "every parameter finite and within 0..1", value);
    }

    const auto scale = processor.editorScale.load();
    require (std::isfinite (scale) && scale >= 1.0f, "editorScale finite and at least 1", scale);

    const auto group = processor.linkGroup.load();
    require (group >= 0 && group <= 7, "linkGroup within 0..7", (float) group);
    require (processor.processorPool->getGroupOf (&processor) == group, "the registry has the instance in its linkGroup", (float) group);

    require (host->processesToFiniteOutput (processor), "a block processed afterwards is finite");
    require (host->processesToFiniteOutput (*host->instances[1]), "a block of a linked instance is finite");
    return 0;
}
