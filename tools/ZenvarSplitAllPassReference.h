#pragma once

#include <array>

/** The exact all-pass response that the plug-in's four bands of one channel add up to, in double
    precision and from its textbook form rather than from any band: per crossover the second-order
    all-pass (s² - √2 s + 1) / (s² + √2 s + 1) that a fourth-order Linkwitz-Riley low-pass and
    high-pass sum to, taken to the z-plane by the bilinear transform with the tangent pre-warping
    the plug-in uses; the three crossovers in cascade. */
class ZenvarSplitAllPassReference
{
public:
    /** Designs the three all-passes for `crossoversHz` (each below half of `sampleRate`) and
        clears the signal state. */
    void prepare (double sampleRate, const std::array<float, 3>& crossoversHz);

    /** Clears the signal state, keeping the design. */
    void reset() noexcept;

    /** One sample through the three all-passes. */
    double processSample (double input) noexcept;

private:
    /** y = a2·x + a1·x[-1] + x[-2] - a1·y[-1] - a2·y[-2]: an all-pass, its numerator the mirror
        of its denominator. */
    struct AllPassSection
    {
        double a1 = 0.0, a2 = 0.0;
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

        double processSample (double input) noexcept;
    };

    std::array<AllPassSection, 3> sections;
};
