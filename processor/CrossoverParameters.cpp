#include "CrossoverParameters.h"

#include <cmath>

namespace zenvar
{

const std::array<ParameterSpec, numParameters> parameterTable { {
    { "Crossover Frequency 1", 20.0f, 20000.0f, 160.0f, 1 },
    { "Crossover Frequency 2", 20.0f, 20000.0f, 1000.0f, 1 },
    { "Crossover Frequency 3", 20.0f, 20000.0f, 5000.0f, 1 },
    { "Band 1 Active", 0.0f, 1.0f, 0.0f, 0 },
    { "Band 2 Active", 0.0f, 1.0f, 0.0f, 0 },
    { "Band 3 Active", 0.0f, 1.0f, 0.0f, 0 },
    { "Band 4 Active", 0.0f, 1.0f, 0.0f, 0 },
} };

float normalisedToFrequency (float normalisedValue) noexcept
{
    const auto v = static_cast<double> (normalisedValue);
    return static_cast<float> (v * v * 19980.0 + 20.0);
}

float frequencyToNormalised (float frequencyHz, int tableRow) noexcept
{
    const auto& row = parameterTable[static_cast<size_t> (tableRow)];

    // NaN fails this comparison as well, so it lands on the minimum.
    const auto hz = frequencyHz >= row.minimum ? std::fmin (frequencyHz, row.maximum) : row.minimum;
    const auto proportion = (hz - row.minimum) / (row.maximum - row.minimum);
    return std::pow (proportion, 0.5f);
}

} // namespace zenvar
