#pragma once

#include "tools/ZenvarSplitAllPassReference.h"
#include "tools/ZenvarSplitHost.h"
#include "tools/ZenvarSplitSinglePrecisionAllPass.h"

#include <optional>
#include <vector>

/** What --check measures: how far the sum of the four band signals is from the exact all-pass
    response of the input (ZenvarSplitAllPassReference), accumulated over the whole file.

    Beside it the same filters run in single precision (ZenvarSplitSinglePrecisionAllPass), in
    each of the ways a faithful single-precision design may round their coefficients. The worst of
    them is the floor: the plug-in rounds every step to single precision, so its band sum can be
    expected no closer to the exact response than that, and a correct split does not land far
    above it. Low crossovers at high sample rates raise the floor of any single-precision filter of
    this kind. [main thread] */
class ZenvarSplitSumCheck
{
public:
    /** How far above the single-precision floor the band sum's error may lie and still pass. */
    static constexpr double marginAboveFloorDb = 3.0;

    /** Starts a check of `numChannels` channels at `sampleRate` with the crossovers the plug-in
        instances hold. */
    void prepare (int numChannels, double sampleRate, const std::array<float, 3>& crossoversHz);

    /** Adds the first `numSamples` of one block: the input and the four bands it gave. */
    void addBlock (const juce::AudioBuffer<float>& input, const ZenvarSplitHost::BandBuffers& bands, int numSamples);

    /** Error energy of the band sum relative to the energy of the all-pass response, in dB;
        nothing for a silent input, where no ratio exists. */
    std::optional<double> getErrorDb() const;

    /** The same ratio for the all-passes computed in single precision, the worst of the rounding
        variants: the floor. */
    std::optional<double> getFloorDb() const;

    /** True when the error lies no more than marginAboveFloorDb above the floor, or the input was
        silent and the bands are silent too. */
    bool passes() const;

    /** The --check line. */
    juce::String describe() const;

private:
    using Variants = std::array<ZenvarSplitSinglePrecisionAllPass, ZenvarSplitSinglePrecisionAllPass::numRoundingVariants>;

    struct ChannelReferences
    {
        ZenvarSplitAllPassReference exact;
        Variants singlePrecision;
    };

    std::vector<ChannelReferences> references;
    std::array<double, ZenvarSplitSinglePrecisionAllPass::numRoundingVariants> floorEnergies {};
    double errorEnergy = 0.0, signalEnergy = 0.0;
};
