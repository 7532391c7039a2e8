#pragma once

#include "processor/Float4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace zenvar::test
{

inline std::uint32_t bitsOf (float value)
{
    std::uint32_t bits;
    std::memcpy (&bits, &value, sizeof (bits));
    return bits;
}

/** True when all four lanes hold the same bits (so NaN equals NaN and -0 differs from +0). */
inline bool haveSameBits (Float4 a, Float4 b)
{
    return std::memcmp (&a, &b, sizeof (Float4)) == 0;
}

inline ::testing::AssertionResult sameBits (Float4 a, Float4 b)
{
    if (haveSameBits (a, b))
        return ::testing::AssertionSuccess();

    auto failure = ::testing::AssertionFailure();

    for (int lane = 0; lane < 4; ++lane)
        failure << "lane " << lane << ": " << a.getLane (lane) << " vs " << b.getLane (lane) << "; ";

    return failure;
}

/** Distance in units in the last place between two finite floats of the same sign. */
inline double ulpDistance (float a, double exact)
{
    const auto rounded = static_cast<float> (exact);
    const auto ulp = static_cast<double> (std::nextafter (std::fabs (rounded), INFINITY) - std::fabs (rounded));
    return std::fabs (static_cast<double> (a) - exact) / ulp;
}

/** Runs a sine of amplitude 1 at `frequencyHz` through `process` (one sample in, one out) for two
    seconds and returns the output's peak amplitude over the second second, by least squares
    against sine and cosine so that the figure does not depend on where the peaks fall. */
inline double measureSineGain (const std::function<float (float)>& process, double frequencyHz, double sampleRate)
{
    const auto length = static_cast<int> (sampleRate * 2.0);
    const auto settle = length / 2;
    double sinSum = 0.0, cosSum = 0.0, sinSquares = 0.0, cosSquares = 0.0, crossSum = 0.0;

    for (int n = 0; n < length; ++n)
    {
        const auto phase = 2.0 * M_PI * frequencyHz * n / sampleRate;
        const auto y = static_cast<double> (process (static_cast<float> (std::sin (phase))));

        if (n >= settle)
        {
            const auto s = std::sin (phase), c = std::cos (phase);
            sinSum += y * s;
            cosSum += y * c;
            sinSquares += s * s;
            cosSquares += c * c;
            crossSum += s * c;
        }
    }

    // Solve the 2x2 normal equations for y ≈ a·sin + b·cos.
    const auto determinant = sinSquares * cosSquares - crossSum * crossSum;
    const auto a = (sinSum * cosSquares - cosSum * crossSum) / determinant;
    const auto b = (cosSum * sinSquares - sinSum * crossSum) / determinant;
    return std::sqrt (a * a + b * b);
}

inline double toDecibels (double gain) { return 20.0 * std::log10 (gain); }

/** Uniform white noise in -1..1 from a fixed seed. */
inline std::vector<float> makeNoise (int length, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    std::vector<float> noise (static_cast<size_t> (length));

    for (auto& s : noise)
        s = sample (random);

    return noise;
}

} // namespace zenvar::test
