#include "tools/ZenvarSplitSumCheck.h"

#include <algorithm>
#include <cmath>

namespace
{
std::optional<double> energyRatioInDb (double numerator, double denominator)
{
    if (! (denominator > 0.0))
        return std::nullopt;

    // An exact match has no finite level; show it as the smallest double ratio instead.
    return 10.0 * std::log10 (std::max (numerator / denominator, std::numeric_limits<double>::min()));
}
} // namespace

void ZenvarSplitSumCheck::prepare (int numChannels, double sampleRate, const std::array<float, 3>& crossoversHz)
{
    references.assign ((size_t) numChannels, {});

    for (auto& channel : references)
    {
        channel.exact.prepare (sampleRate, crossoversHz);

        for (int variant = 0; variant < ZenvarSplitSinglePrecisionAllPass::numRoundingVariants; ++variant)
            channel.singlePrecision[(size_t) variant].prepare (sampleRate, crossoversHz, variant);
    }

    floorEnergies.fill (0.0);
    errorEnergy = signalEnergy = 0.0;
}

void ZenvarSplitSumCheck::addBlock (const juce::AudioBuffer<float>& input, const ZenvarSplitHost::BandBuffers& bands, int numSamples)
{
    for (size_t channel = 0; channel < references.size(); ++channel)
    {
        auto& reference = references[channel];
        const auto* in = input.getReadPointer ((int) channel);

        for (int sample = 0; sample < numSamples; ++sample)
        {
            auto sum = 0.0;

            for (const auto& band : bands)
                sum += (double) band.getSample ((int) channel, sample);

            const auto expected = reference.exact.processSample ((double) in[sample]);
            errorEnergy += (sum - expected) * (sum - expected);
            signalEnergy += expected * expected;

            for (size_t variant = 0; variant < floorEnergies.size(); ++variant)
            {
                const auto floorError = (double) reference.singlePrecision[variant].processSample (in[sample]) - expected;
                floorEnergies[variant] += floorError * floorError;
            }
        }
    }
}

std::optional<double> ZenvarSplitSumCheck::getErrorDb() const
{
    return energyRatioInDb (errorEnergy, signalEnergy);
}

std::optional<double> ZenvarSplitSumCheck::getFloorDb() const
{
    return energyRatioInDb (*std::max_element (floorEnergies.begin(), floorEnergies.end()), signalEnergy);
}

bool ZenvarSplitSumCheck::passes() const
{
    const auto errorDb = getErrorDb();

    if (! errorDb.has_value())
        return errorEnergy == 0.0;

    return *errorDb <= *getFloorDb() + marginAboveFloorDb;
}

juce::String ZenvarSplitSumCheck::describe() const
{
    const auto errorDb = getErrorDb();

    if (! errorDb.has_value())
        return juce::String ("check: the input is silent, so there is no signal to compare the band sum with; the bands are ")
               + (errorEnergy == 0.0 ? "silent too" : "NOT silent");

    const auto floorDb = *getFloorDb();
    const auto verdict = passes() ? juce::String ("the split is at the floor of single precision")
                                  : "the split lies " + juce::String (*errorDb - floorDb, 1) + " dB ABOVE that floor";

    return "check: sum of the 4 bands vs the exact all-pass response of the input: error " + juce::String (*errorDb, 1)
           + " dB relative to the signal; the same filters in single precision: " + juce::String (floorDb, 1)
           + " dB at worst; " + verdict;
}
