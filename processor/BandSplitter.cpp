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

void BandSplitter::designNextSample() noexcept
{
    const auto f1 = ramps[0].getNextValue();
    const auto f2 = ramps[1].getNextValue();
    const auto f3 = ramps[2].getNextValue();

    // One lane per crossover; each lane computes exactly what a design of that crossover alone
    // computes, so broadcasting a lane gives every filter at that crossover its exact design.
    const auto designs = ButterworthDesign::compute (Float4::fromLanes (f1, f2, f3, f3), Float4::broadcast (sampleRate));
    const auto crossover1 = designs.broadcastLane (0);
    const auto crossover2 = designs.broadcastLane (1);
    const auto crossover3 = designs.broadcastLane (2);

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
