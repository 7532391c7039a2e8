#pragma once

#include <array>

/** The plug-in's all-pass as single precision computes it: per crossover a fourth-order
    Linkwitz-Riley low-pass plus the matching high-pass (second-order Butterworth sections in
    direct form II, designed by the bilinear transform with tangent pre-warping, every step in
    single precision), the three crossovers in cascade.

    Set beside the exact response (ZenvarSplitAllPassReference) it shows the floor that single
    precision reaches with these filters. That floor depends on how each coefficient rounds, and a
    faithful single-precision tangent may round either way, so a rounding variant picks, for each
    crossover, the tangent rounded to nearest or the other faithful neighbour; the plug-in's own
    coefficients are one of the eight variants. */
class ZenvarSplitSinglePrecisionAllPass
{
public:
    static constexpr int numRoundingVariants = 8;

    /** Designs the three all-passes for `crossoversHz` (each below half of `sampleRate`); bit i
        of `roundingVariant` (0..7) takes the other faithful rounding of crossover i's tangent.
        Clears the signal state. */
    void prepare (double sampleRate, const std::array<float, 3>& crossoversHz, int roundingVariant);

    /** One sample through the three all-passes. */
    float processSample (float input) noexcept;

private:
    /** One second-order section in direct form II, in the plug-in's order of operations. */
    struct Section
    {
        float feedback1 = 0.0f, feedback2 = 0.0f, gain = 0.0f, middleTap = 0.0f;
        float delay1 = 0.0f, delay2 = 0.0f;

        float processSample (float input) noexcept;
    };

    struct CrossoverAllPass
    {
        std::array<Section, 2> lowSections, highSections;

        void design (float sampleRate, float cutoffHz, bool otherTangentRounding) noexcept;
        float processSample (float input) noexcept;
    };

    std::array<CrossoverAllPass, 3> allPasses;
};
