#include "processor/BandSplitter.h"
#include "processor/CrossoverParameters.h"
#include "processor/AnalysisFeed.h"
#include "tests/support/ReferenceBandSplitter.h"

#include <benchmark/benchmark.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <random>
#include <vector>

// Every benchmark processes stereo blocks of 256 frames at 44100 Hz and reports the time per
// stereo frame ("frame" counter). Inputs come from fixed seeds, so every run sees the same data.

namespace
{
constexpr int blockLength = 256;
constexpr double sampleRate = 44100.0;

/** A stereo block of noise, copied fresh into the working buffers before every block so that
    no benchmark feeds its own output back in. */
class StereoBlock
{
public:
    StereoBlock()
    {
        std::mt19937 random (1);
        std::uniform_real_distribution<float> sample (-1.0f, 1.0f);

        for (auto& channel : source)
            for (auto& s : channel)
                s = sample (random);
    }

    float* const* refill() noexcept
    {
        working = source;
        return pointers.data();
    }

private:
    std::array<std::array<float, blockLength>, 2> source {}, working {};
    std::array<float*, 2> pointers { working[0].data(), working[1].data() };
};

/** Band switches as the processor reads them: relaxed atomics, decoded per read. */
struct BandSwitches
{
    std::array<std::atomic<float>, 4> values { 1.0f, 0.0f, 0.0f, 0.0f };

    bool operator() (int band) const noexcept
    {
        return zenvar::isBandSwitchOn (values[static_cast<size_t> (band)].load (std::memory_order_relaxed));
    }
};

void reportPerFrame (benchmark::State& state)
{
    state.counters["frame"] = benchmark::Counter (blockLength, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

/** Crossover triples (Hz) for the ramping benchmark, fresh every block. */
std::vector<std::array<float, 3>> makeAutomation()
{
    std::mt19937 random (2);
    std::uniform_real_distribution<float> normalised (0.0f, 1.0f);
    std::vector<std::array<float, 3>> automation (1024);

    for (auto& triple : automation)
        for (auto& hz : triple)
            hz = zenvar::normalisedToFrequency (normalised (random));

    return automation;
}

//==============================================================================
void engineStaticCrossoversOneBandOn (benchmark::State& state)
{
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    BandSwitches switches;
    zenvar::BandSplitter engine;
    engine.prepare (sampleRate);

    for (auto _ : state)
    {
        engine.process (block.refill(), 2, blockLength, switches);
        benchmark::ClobberMemory();
    }

    reportPerFrame (state);
}

void engineStaticWithAnalysisFeed (benchmark::State& state)
{
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    BandSwitches switches;
    zenvar::BandSplitter engine;
    zenvar::AnalysisFeed feed;
    engine.prepare (sampleRate);

    for (auto _ : state)
    {
        auto* channels = block.refill();
        feed.pushBlock (channels, 2, blockLength);
        engine.process (channels, 2, blockLength, switches);
        benchmark::ClobberMemory();
    }

    benchmark::DoNotOptimize (feed.takeLatestSpectrum());
    reportPerFrame (state);
}

void engineRampingAllTheTime (benchmark::State& state)
{
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    BandSwitches switches;
    zenvar::BandSplitter engine;
    engine.prepare (sampleRate);
    const auto automation = makeAutomation();
    size_t next = 0;

    for (auto _ : state)
    {
        const auto& targets = automation[next++ % automation.size()];

        for (int i = 0; i < 3; ++i)
            engine.setCrossoverTarget (i, targets[static_cast<size_t> (i)]);

        engine.process (block.refill(), 2, blockLength, switches);
        benchmark::ClobberMemory();
    }

    reportPerFrame (state);
}

void arithmeticFloor (benchmark::State& state)
{
    // The 24 sections of the band graph with fixed coefficients, band 1 out, nothing else.
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    std::array<zenvar::CrossoverFilter, 9> f;
    const auto c1 = zenvar::Float4::broadcast (160.0f), c2 = zenvar::Float4::broadcast (1000.0f), c3 = zenvar::Float4::broadcast (5000.0f);
    f[0].setLowPass (c1);
    f[1].setAllPass (c2);
    f[2].setAllPass (c3);
    f[3].setHighPass (c1);
    f[4].setLowPass (c2);
    f[5].setAllPass (c3);
    f[6].setHighPass (c2);
    f[7].setLowPass (c3);
    f[8].setHighPass (c3);

    for (auto _ : state)
    {
        auto* const* channels = block.refill();

        for (int n = 0; n < blockLength; ++n)
        {
            const auto x = zenvar::Float4::fromLanes (channels[0][n], channels[1][n], 0.0f, 0.0f);
            const auto band1 = f[2].processAllPass (f[1].processAllPass (f[0].processLowPass (x)));
            const auto h1 = f[3].processHighPass (x);
            const auto band2 = f[5].processAllPass (f[4].processLowPass (h1));
            const auto h2 = f[6].processHighPass (h1);
            const auto band3 = f[7].processLowPass (h2);
            const auto band4 = f[8].processHighPass (h2);
            benchmark::DoNotOptimize (band2);
            benchmark::DoNotOptimize (band3);
            benchmark::DoNotOptimize (band4);
            channels[0][n] = band1.getLane (0);
            channels[1][n] = band1.getLane (1);
        }

        benchmark::ClobberMemory();
    }

    reportPerFrame (state);
}

void definitionRunLiterally (benchmark::State& state)
{
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    BandSwitches switches;
    zenvar::test::ReferenceBandSplitter definition;
    definition.prepare (sampleRate);

    for (auto _ : state)
    {
        definition.process (block.refill(), 2, blockLength, switches);
        benchmark::ClobberMemory();
    }

    reportPerFrame (state);
}

void juceLinkwitzRileySplit (benchmark::State& state)
{
    // The same tree from juce::dsp::LinkwitzRileyFilter, static crossovers, band 1 out.
    using Filter = juce::dsp::LinkwitzRileyFilter<float>;
    using Type = juce::dsp::LinkwitzRileyFilterType;
    const juce::ScopedNoDenormals noDenormals;
    StereoBlock block;
    std::array<Filter, 9> f;
    const std::array<std::pair<Type, float>, 9> designs { { { Type::lowpass, 160.0f },
                                                            { Type::allpass, 1000.0f },
                                                            { Type::allpass, 5000.0f },
                                                            { Type::highpass, 160.0f },
                                                            { Type::lowpass, 1000.0f },
                                                            { Type::allpass, 5000.0f },
                                                            { Type::highpass, 1000.0f },
                                                            { Type::lowpass, 5000.0f },
                                                            { Type::highpass, 5000.0f } } };

    for (size_t i = 0; i < f.size(); ++i)
    {
        f[i].prepare ({ sampleRate, static_cast<juce::uint32> (blockLength), 2 });
        f[i].setType (designs[i].first);
        f[i].setCutoffFrequency (designs[i].second);
    }

    for (auto _ : state)
    {
        auto* const* channels = block.refill();

        for (int n = 0; n < blockLength; ++n)
        {
            for (int c = 0; c < 2; ++c)
            {
                const auto x = channels[c][n];
                const auto band1 = f[2].processSample (c, f[1].processSample (c, f[0].processSample (c, x)));
                const auto h1 = f[3].processSample (c, x);
                const auto band2 = f[5].processSample (c, f[4].processSample (c, h1));
                const auto h2 = f[6].processSample (c, h1);
                const auto band3 = f[7].processSample (c, h2);
                const auto band4 = f[8].processSample (c, h2);
                benchmark::DoNotOptimize (band2);
                benchmark::DoNotOptimize (band3);
                benchmark::DoNotOptimize (band4);
                channels[c][n] = band1;
            }
        }

        benchmark::ClobberMemory();
    }

    reportPerFrame (state);
}
} // namespace

BENCHMARK (arithmeticFloor);
BENCHMARK (engineStaticCrossoversOneBandOn);
BENCHMARK (engineStaticWithAnalysisFeed);
BENCHMARK (engineRampingAllTheTime);
BENCHMARK (definitionRunLiterally);
BENCHMARK (juceLinkwitzRileySplit);

BENCHMARK_MAIN();
