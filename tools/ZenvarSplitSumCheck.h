#pragma once

#include "tools/ZenvarSplitAllPassReference.h"
#include "tools/ZenvarSplitHost.h"

#include <optional>
#include <vector>

/** What --check measures: how far the sum of the four band signals is from the all-pass response
    of the input, accumulated over the whole file.

    The all-pass response is computed exactly (ZenvarSplitAllPassReference in double precision).
    Beside it the same all-passes run in single precision, which shows the floor that single
    precision reaches at these crossovers and this sample rate: the plug-in's filters round every
    step to single precision, so its band sum cannot come closer than that, and a correct split
    does not land far above it. [main thread] */
class ZenvarSplitSumCheck
{
public:
    /** How far above the single-precision floor the band sum's error may lie and still pass. */
    static constexpr double marginAboveFloorDb = 6.0;

    /** Starts a check of `numChannels` channels at `sampleRate` with the crossovers the plug-in
        instances hold. */
    void prepare (int numChannels, double sampleRate, const std::array<float, 3>& crossoversHz);

    /** Adds the first `numSamples` of one block: the input and the four bands it gave. */
    void addBlock (const juce::AudioBuffer<float>& input, const ZenvarSplitHost::BandBuffers& bands, int numSamples);

    /** Error energy of the band sum relative to the energy of the all-pass response, in dB;
        nothing for a silent input, where no ratio exists. */
    std::optional<double> getErrorDb() const;

    /** The same ratio for the all-passes computed in single precision: the floor. */
    std::optional<double> getFloorDb() const;

    /** True when the error lies no more than marginAboveFloorDb above the floor, or the input was
        silent and the bands are silent too. */
    bool passes() const;

    /** The --check line. */
    juce::String describe() const;

private:
    struct ChannelReferences
    {
        ZenvarSplitAllPassReference<double> exact;
        ZenvarSplitAllPassReference<float> singlePrecision;
    };

    std::vector<ChannelReferences> references;
    double errorEnergy = 0.0, floorEnergy = 0.0, signalEnergy = 0.0;
};
