#pragma once

#include "processor/BandSplitter.h"
#include "processor/CrossoverFilter.h"
#include "processor/LinearRamp.h"

#include <array>

namespace zenvar::test
{

/** The band splitter as its definition reads, with none of the engine's shortcuts: before every
    sample all nine filters are designed from the ramped crossover frequencies, each with its own
    tangents, then the band graph runs through the kind-dispatching processSample(). Slow on
    purpose; the engine must match it bit for bit. Framework-free, so benchmarks can run it too. */
class ReferenceBandSplitter
{
public:
    using Node = BandSplitter::Node;

    ReferenceBandSplitter()
        : ramps { LinearRamp (160.0f), LinearRamp (1000.0f), LinearRamp (5000.0f) }
    {
    }

    void prepare (double sampleRate)
    {
        for (auto& f : filters)
        {
            f.reset();
            f.setSampleRate (static_cast<float> (sampleRate));
        }

        for (auto& ramp : ramps)
            ramp.reset (sampleRate, 0.01);
    }

    void setCrossoverTarget (int index, float frequencyHz) { ramps[static_cast<size_t> (index)].setTargetValue (frequencyHz); }

    template <typename BandSwitches>
    void process (float* const* channels, int numChannels, int numSamples, BandSwitches&& isBandOn)
    {
        const int n = numChannels >= 2 ? 2 : numChannels;
        auto x = Float4 {};

        for (int m = 0; m < numSamples; ++m)
        {
            for (int c = 0; c < n; ++c)
                x.setLane (c, channels[c][m]);

            const auto f1 = Float4::broadcast (ramps[0].getNextValue());
            const auto f2 = Float4::broadcast (ramps[1].getNextValue());
            const auto f3 = Float4::broadcast (ramps[2].getNextValue());

            at (Node::band1LowPass1).setLowPass (f1);
            at (Node::band1AllPass2).setAllPass (f2);
            at (Node::band1AllPass3).setAllPass (f3);
            at (Node::highPass1).setHighPass (f1);
            at (Node::band2LowPass2).setLowPass (f2);
            at (Node::band2AllPass3).setAllPass (f3);
            at (Node::highPass2).setHighPass (f2);
            at (Node::band3LowPass3).setLowPass (f3);
            at (Node::band4HighPass3).setHighPass (f3);

            const auto a = at (Node::band1LowPass1).processSample (x);
            const auto b = at (Node::band1AllPass2).processSample (a);
            const auto band1 = at (Node::band1AllPass3).processSample (b);
            const auto h1 = at (Node::highPass1).processSample (x);
            const auto c = at (Node::band2LowPass2).processSample (h1);
            const auto band2 = at (Node::band2AllPass3).processSample (c);
            const auto h2 = at (Node::highPass2).processSample (h1);
            const auto band3 = at (Node::band3LowPass3).processSample (h2);
            const auto band4 = at (Node::band4HighPass3).processSample (h2);
            const std::array<Float4, 4> bands { band1, band2, band3, band4 };

            for (int lane = 0; lane < n; ++lane)
            {
                channels[lane][m] = 0.0f;

                for (int band = 0; band < 4; ++band)
                    if (isBandOn (band))
                        channels[lane][m] += bands[static_cast<size_t> (band)].getLane (lane);
            }
        }
    }

    const CrossoverFilter& getFilter (Node node) const { return filters[static_cast<size_t> (node)]; }
    float getCrossoverFrequency (int index) const { return ramps[static_cast<size_t> (index)].getCurrentValue(); }

private:
    CrossoverFilter& at (Node node) { return filters[static_cast<size_t> (node)]; }

    std::array<CrossoverFilter, BandSplitter::numNodes> filters;
    std::array<LinearRamp, 3> ramps;
};

} // namespace zenvar::test
