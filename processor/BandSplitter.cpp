#include "BandSplitter.h"

#include "processor/CrossoverParameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zenvar
{

namespace
{
template <typename Array>
Float4 loadFour (const Array& values, std::size_t index) noexcept
{
    Float4 four;
    std::memcpy (&four, values.data() + index, sizeof (four));
    return four;
}

template <typename Array>
void storeFour (Array& values, std::size_t index, Float4 four) noexcept
{
    std::memcpy (values.data() + index, &four, sizeof (four));
}
} // namespace

BandSplitter::BandSplitter() noexcept
    : ramps { LinearRamp (parameterTable[0].defaultValue),
              LinearRamp (parameterTable[1].defaultValue),
              LinearRamp (parameterTable[2].defaultValue) }
{
}

void BandSplitter::prepare (double sampleRateHz) noexcept
{
    if (! (std::isfinite (sampleRateHz) && sampleRateHz > 0.0))
        return;

    sampleRate = static_cast<float> (sampleRateHz);

    for (auto& f : filters)
    {
        f.reset();
        f.setSampleRate (sampleRate);
    }

    for (auto& ramp : ramps)
        ramp.reset (sampleRateHz, 0.01);

    designsAreCurrent = false;
}

void BandSplitter::setCrossoverTarget (int index, float frequencyHz) noexcept
{
    if (std::isnan (frequencyHz) || index < 0 || index >= numCrossovers)
        return;

    ramps[static_cast<size_t> (index)].setTargetValue (std::clamp (frequencyHz, lowestCrossoverHz, highestCrossoverHz));
    designsAreCurrent = false;
}

bool BandSplitter::isRamping() const noexcept
{
    return ramps[0].isSmoothing() || ramps[1].isSmoothing() || ramps[2].isSmoothing();
}

void BandSplitter::designBatch (int maxLength) noexcept
{
    auto longestRamp = 1;

    for (const auto& ramp : ramps)
        longestRamp = std::max (longestRamp, ramp.getRemainingSteps());

    const auto length = std::min ({ maxBatchLength, maxLength, longestRamp });
    batch.length = length;

    // Advancing each ramp `length` samples in a row gives the values that advancing the three in
    // turn would give: they are independent.
    for (int crossover = 0; crossover < numCrossovers; ++crossover)
        ramps[static_cast<std::size_t> (crossover)].fillNextValues (batch.cutoff.data() + crossover * length, length);

    // Lanes are independent, and a lane computes exactly what a design of its cutoff alone
    // computes, so four designs at a time give every filter its exact design. The lanes past
    // the end are given a real cutoff and their designs are never read.
    const auto used = numCrossovers * length;

    for (auto i = used; i % 4 != 0; ++i)
        batch.cutoff[static_cast<std::size_t> (i)] = batch.cutoff[static_cast<std::size_t> (used - 1)];

    const auto rate = Float4::broadcast (sampleRate);

    for (std::size_t i = 0; i < static_cast<std::size_t> (used); i += 4)
    {
        const auto designs = ButterworthDesign::compute (loadFour (batch.cutoff, i), rate);
        storeFour (batch.feedback1, i, designs.feedback1);
        storeFour (batch.feedback2, i, designs.feedback2);
        storeFour (batch.lowPassGain, i, designs.lowPassGain);
        storeFour (batch.highPassGain, i, designs.highPassGain);
    }
}

void BandSplitter::storeLastDesignOfBatch() noexcept
{
    const auto last = batch.length - 1;
    const auto crossover1 = batch.get (0, last);
    const auto crossover2 = batch.get (1, last);
    const auto crossover3 = batch.get (2, last);

    filter (band1LowPass1).applyLowPass (crossover1);
    filter (band1AllPass2).applyAllPass (crossover2);
    filter (band1AllPass3).applyAllPass (crossover3);
    filter (highPass1).applyHighPass (crossover1);
    filter (band2LowPass2).applyLowPass (crossover2);
    filter (band2AllPass3).applyAllPass (crossover3);
    filter (highPass2).applyHighPass (crossover2);
    filter (band3LowPass3).applyLowPass (crossover3);
    filter (band4HighPass3).applyHighPass (crossover3);

    designsAreCurrent = true;
}

} // namespace zenvar
