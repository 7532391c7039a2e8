#pragma once

#include "processor/CrossoverFilter.h"
#include "processor/LinearRamp.h"

#include <array>
#include <cstddef>

namespace zenvar
{

/** Splits one or two channels into four bands at three crossover frequencies and writes back the
    sum of the bands that are switched on.

    The bands come from a tree of nine Linkwitz-Riley filters: band 1 below crossover 1, band 2
    between crossovers 1 and 2, band 3 between 2 and 3, band 4 above 3, each carrying the
    all-pass phase of the splits it does not pass through, so the four bands add up to an
    all-pass. Crossover changes ramp linearly over 10 ms; the frequencies are used as they are,
    neither sorted nor forced apart.

    The output is, bit for bit, what redesigning all nine filters from the ramped frequencies
    before every sample gives, but the work is shared: filters at one crossover share one design
    (low-pass and high-pass differ only in gain and middle tap); while ramps run, the designs of
    the three crossovers for up to 16 samples ahead go through four-lane evaluations with no lane
    idle and are used straight from there, the filters storing only the last; while no ramp runs,
    nothing is designed at all. Everything here runs on the audio thread, or while processing is
    stopped.
*/
class BandSplitter
{
public:
    /** The nine filters, in the order they are stored. */
    enum Node
    {
        band1LowPass1,
        band1AllPass2,
        band1AllPass3,
        highPass1,
        band2LowPass2,
        band2AllPass3,
        highPass2,
        band3LowPass3,
        band4HighPass3,
        numNodes
    };

    static constexpr int numCrossovers = 3;
    static constexpr int numBands = 4;

    /** Crossover targets are held within this range, the range the crossover parameters span. */
    static constexpr float lowestCrossoverHz = 20.0f;
    static constexpr float highestCrossoverHz = 20000.0f;

    /** Starts with the crossovers at their parameter defaults (160, 1000, 5000 Hz), no ramp length (targets are taken at
        once until prepare()), silent filter state and a sample rate of 44100 Hz. */
    BandSplitter() noexcept;

    //==============================================================================
    /** Clears every filter, takes the new rate (Hz) for the next designs, sets the ramp length to
        floor(0.01 × rate) samples and snaps the crossovers to their targets. A rate that is not
        finite and positive is ignored. Whether a prepare with an unchanged rate should reset is
        the caller's decision: this always does. */
    void prepare (double sampleRateHz) noexcept;

    /** Ramps crossover `index` (0..2) to `frequencyHz` over the ramp length, from wherever it is
        now. A target approximately equal to the current one changes nothing. NaN is ignored (the
        last good target stays); other values are held within lowestCrossoverHz..
        highestCrossoverHz. */
    void setCrossoverTarget (int index, float frequencyHz) noexcept;

    /** Replaces `numSamples` samples of `numChannels` channels (only the first two are used;
        with none, the filters still run on silence) by the sum of the bands switched on.
        `isBandOn (int band)` (band 0..3) is asked for every band of every channel of every
        sample, in order, so a switch acts at the next sample. */
    template <typename BandSwitches>
    void process (float* const* channels, int numChannels, int numSamples, BandSwitches&& isBandOn) noexcept
    {
        if (numChannels >= 2)
            processChannels<2> (channels, numSamples, isBandOn);
        else if (numChannels == 1)
            processChannels<1> (channels, numSamples, isBandOn);
        else
            processChannels<0> (channels, numSamples, isBandOn);
    }

    //==============================================================================
    /** The crossover's ramped frequency (Hz) as of the last sample processed. */
    float getCrossoverFrequency (int index) const noexcept { return ramps[static_cast<std::size_t> (index)].getCurrentValue(); }
    float getCrossoverTarget (int index) const noexcept { return ramps[static_cast<std::size_t> (index)].getTargetValue(); }
    bool isRamping() const noexcept;
    int getRampLengthInSamples() const noexcept { return ramps[0].getRampLengthInSamples(); }

    const CrossoverFilter& getFilter (Node node) const noexcept { return filters[static_cast<std::size_t> (node)]; }

private:
    //==============================================================================
    /** Up to this many samples of ramping crossovers are designed ahead in one go. */
    static constexpr int maxBatchLength = 16;

    /** The designs of the three crossovers for the samples of one batch. Entry
        crossover × length + sample of each array belongs to that crossover and sample, so the
        designs of a batch fill consecutive four-lane evaluations with no lane idle. */
    struct DesignBatch
    {
        static constexpr int capacity = numCrossovers * maxBatchLength + 4;

        alignas (16) std::array<float, capacity> cutoff;
        alignas (16) std::array<float, capacity> feedback1;
        alignas (16) std::array<float, capacity> feedback2;
        alignas (16) std::array<float, capacity> lowPassGain;
        alignas (16) std::array<float, capacity> highPassGain;
        int length = 0;

        ButterworthDesign get (int crossover, int sample) const noexcept
        {
            const auto i = static_cast<std::size_t> (crossover * length + sample);
            return { Float4::broadcast (cutoff[i]),
                     Float4::broadcast (feedback1[i]),
                     Float4::broadcast (feedback2[i]),
                     Float4::broadcast (lowPassGain[i]),
                     Float4::broadcast (highPassGain[i]) };
        }
    };

    template <int numLanesInUse, typename BandSwitches>
    void processChannels (float* const* channels, int numSamples, BandSwitches& isBandOn) noexcept
    {
        auto x = Float4 {};
        int sample = 0;

        while (sample < numSamples && needsDesign())
        {
            designBatch (numSamples - sample);

            for (int n = 0; n < batch.length; ++n, ++sample)
            {
                loadFrame<numLanesInUse> (channels, sample, x);
                const auto bands = runBandGraph (x, batch.get (0, n), batch.get (1, n), batch.get (2, n));
                writeFrame<numLanesInUse> (channels, sample, bands, isBandOn);
            }

            storeLastDesignOfBatch();
        }

        for (; sample < numSamples; ++sample)
        {
            loadFrame<numLanesInUse> (channels, sample, x);
            writeFrame<numLanesInUse> (channels, sample, runBandGraph (x), isBandOn);
        }
    }

    template <int numLanesInUse>
    static void loadFrame (float* const* channels, int sample, Float4& x) noexcept
    {
        for (int lane = 0; lane < numLanesInUse; ++lane)
            x.setLane (lane, channels[lane][sample]);
    }

    template <int numLanesInUse, typename BandSwitches>
    static void writeFrame (float* const* channels, int sample, const std::array<Float4, numBands>& bands, BandSwitches& isBandOn) noexcept
    {
        for (int lane = 0; lane < numLanesInUse; ++lane)
        {
            // Starting from +0 and adding keeps a -0 band from turning into a -0 output.
            auto sum = 0.0f;

            for (int band = 0; band < numBands; ++band)
                if (isBandOn (band))
                    sum += bands[static_cast<std::size_t> (band)].getLane (lane);

            channels[lane][sample] = sum;
        }
    }

    /** The band graph with the filters' stored designs. */
    std::array<Float4, numBands> runBandGraph (Float4 x) noexcept
    {
        const auto a = filter (band1LowPass1).processLowPass (x);
        const auto b = filter (band1AllPass2).processAllPass (a);
        const auto band1 = filter (band1AllPass3).processAllPass (b);

        const auto h1 = filter (highPass1).processHighPass (x);
        const auto c = filter (band2LowPass2).processLowPass (h1);
        const auto band2 = filter (band2AllPass3).processAllPass (c);

        const auto h2 = filter (highPass2).processHighPass (h1);
        const auto band3 = filter (band3LowPass3).processLowPass (h2);
        const auto band4 = filter (band4HighPass3).processHighPass (h2);

        return { band1, band2, band3, band4 };
    }

    /** The band graph with one sample's designs of the three crossovers. */
    std::array<Float4, numBands> runBandGraph (Float4 x,
                                               const ButterworthDesign& crossover1,
                                               const ButterworthDesign& crossover2,
                                               const ButterworthDesign& crossover3) noexcept
    {
        const auto a = filter (band1LowPass1).processLowPass (x, crossover1);
        const auto b = filter (band1AllPass2).processAllPass (a, crossover2);
        const auto band1 = filter (band1AllPass3).processAllPass (b, crossover3);

        const auto h1 = filter (highPass1).processHighPass (x, crossover1);
        const auto c = filter (band2LowPass2).processLowPass (h1, crossover2);
        const auto band2 = filter (band2AllPass3).processAllPass (c, crossover3);

        const auto h2 = filter (highPass2).processHighPass (h1, crossover2);
        const auto band3 = filter (band3LowPass3).processLowPass (h2, crossover3);
        const auto band4 = filter (band4HighPass3).processHighPass (h2, crossover3);

        return { band1, band2, band3, band4 };
    }

    bool needsDesign() const noexcept { return ! designsAreCurrent || isRamping(); }

    /** Advances the ramps by up to `maxLength` samples (as far as the longest ramp runs, at
        least one) and designs the crossovers for each of those samples into `batch`. */
    void designBatch (int maxLength) noexcept;

    /** Stores the batch's last designs in the filters, so that between blocks every filter
        holds exactly the design of the last sample processed. */
    void storeLastDesignOfBatch() noexcept;

    CrossoverFilter& filter (Node node) noexcept { return filters[static_cast<std::size_t> (node)]; }

    std::array<CrossoverFilter, numNodes> filters;
    std::array<LinearRamp, numCrossovers> ramps;
    float sampleRate = 44100.0f;
    DesignBatch batch;

    /** False until the filters hold the designs for the ramps' current values. */
    bool designsAreCurrent = false;
};

} // namespace zenvar
