#include "BandSplitter.h"

#include "processor/CrossoverParameters.h"

#include <algorithm>
#include <cmath>

namespace zenvar
{

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

    // Calling each ramp `length` times in a row gives the values that calling the three in turn
    // would give: they are independent.
    for (int crossover = 0; crossover < numCrossovers; ++crossover)
        for (int n = 0; n < length; ++n)
            batch.cutoff[static_cast<std::size_t> (crossover * length + n)] = ramps[static_cast<std::size_t> (crossover)].getNextValue();

    // Lanes are independent, and a lane computes exactly what a design of its cutoff alone
    // computes, so four designs at a time give every filter its exact design. The lanes past
    // the end are given a real cutoff and their designs are never read.
    const auto used = numCrossovers * length;

    for (auto i = used; i % 4 != 0; ++i)
        batch.cutoff[static_cast<std::size_t> (i)] = batch.cutoff[static_cast<std::size_t> (used - 1)];

    const auto rate = Float4::broadcast (sampleRate);

    for (int i = 0; i < used; i += 4)
    {
        const auto at = static_cast<std::size_t> (i);
        const auto cutoffs = Float4::fromLanes (batch.cutoff[at], batch.cutoff[at + 1], batch.cutoff[at + 2], batch.cutoff[at + 3]);
        const auto designs = ButterworthDesign::compute (cutoffs, rate);

        for (std::size_t lane = 0; lane < 4; ++lane)
        {
            const auto laneIndex = static_cast<int> (lane);
            batch.feedback1[at + lane] = designs.feedback1.getLane (laneIndex);
            batch.feedback2[at + lane] = designs.feedback2.getLane (laneIndex);
            batch.lowPassGain[at + lane] = designs.lowPassGain.getLane (laneIndex);
            batch.highPassGain[at + lane] = designs.highPassGain.getLane (laneIndex);
        }
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
