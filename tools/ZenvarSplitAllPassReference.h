#pragma once

#include <array>

/** The all-pass that the plug-in's four bands of one channel add up to, computed on its own: for
    each of the three crossovers a fourth-order Linkwitz-Riley low-pass plus the matching
    high-pass fed with the same input, the three in cascade. No band is formed or summed here, so
    a fault in the plug-in's band tree cannot hide in this reference.

    The filters are designed as the plug-in designs its own (second-order Butterworth sections by
    the bilinear transform with tangent pre-warping, every design step in single precision), so
    the coefficients agree with the plug-in's. The signal runs in `SampleType`: in double precision
    this is the exact response of those filters; in single precision it shows how close single
    precision can come to it at these crossovers, which is the floor for the plug-in as well. */
template <typename SampleType>
class ZenvarSplitAllPassReference
{
public:
    /** Designs the three all-passes for `crossoversHz` (each below half of `sampleRate`) and
        clears the signal state. */
    void prepare (double sampleRate, const std::array<float, 3>& crossoversHz);

    /** Clears the signal state, keeping the design. */
    void reset() noexcept;

    /** One sample through the three all-passes. */
    SampleType processSample (SampleType input) noexcept;

private:
    /** One second-order section in direct form II: y = gain · (v + middleTap·v[-1] + v[-2]) with
        v = x + feedback1·v[-1] + feedback2·v[-2], in the plug-in's order of operations. */
    struct Section
    {
        SampleType feedback1 {}, feedback2 {}, gain {}, middleTap {};
        SampleType delay1 {}, delay2 {};

        SampleType processSample (SampleType input) noexcept;
    };

    /** Low-pass cascade plus high-pass cascade at one crossover. */
    struct CrossoverAllPass
    {
        std::array<Section, 2> lowSections, highSections;

        void design (float sampleRate, float cutoffHz) noexcept;
        SampleType processSample (SampleType input) noexcept;
    };

    std::array<CrossoverAllPass, 3> allPasses;
};
