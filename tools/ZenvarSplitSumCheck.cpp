#include "tools/ZenvarSplitSumCheck.h"

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
        channel.singlePrecision.prepare (sampleRate, crossoversHz);
    }

    errorEnergy = floorEnergy = signalEnergy = 0.0;
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
            const auto singlePrecision = (double) reference.singlePrecision.processSample (in[sample]);

            errorEnergy += (sum - expected) * (sum - expected);
            floorEnergy += (singlePrecision - expected) * (singlePrecision - expected);
            signalEnergy += expected * expected;
        }
    }
}

std::optional<double> ZenvarSplitSumCheck::getErrorDb() const
{
    return energyRatioInDb (errorEnergy, signalEnergy);
}

std::optional<double> ZenvarSplitSumCheck::getFloorDb() const
{
    return energyRatioInDb (floorEnergy, signalEnergy);
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
    const auto verdict = passes() ? juce::String ("at the floor of single precision")
                                  : "ABOVE that floor by " + juce::String (*errorDb - floorDb, 1) + " dB";

    return "check: sum of the 4 bands vs the all-pass response of the input: error " + juce::String (*errorDb, 1)
         + " dB relative to the signal; the same all-passes in single precision reach " + juce::String (floorDb, 1)
         + " dB: " + verdict;
}
