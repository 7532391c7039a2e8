#pragma once

#include <array>
#include <cmath>

namespace zenvar
{

/** One row of the parameter table: the parameter's name (also its ID) and its plain range. */
struct ParameterSpec
{
    const char* name;
    float minimum;
    float maximum;
    float defaultValue;
    int versionHint;
};

/** Number of parameters, and the index ranges used everywhere parameters are addressed. */
constexpr int numParameters = 7;
constexpr int numCrossovers = 3;
constexpr int numBands = 4;
constexpr int firstBandSwitchIndex = 3;

/** The seven parameters in host order: crossovers 1 to 3 (Hz), then band switches 1 to 4.
    Crossover i is the border between band i + 1 and band i + 2. */
extern const std::array<ParameterSpec, numParameters> parameterTable;

/** Maps a crossover parameter's normalised value 0..1 to Hz on the square-law scale,
    20 + 19980 v², evaluated in double precision and rounded to float. [any thread] */
float normalisedToFrequency (float normalisedValue) noexcept;

/** Maps a frequency in Hz to the normalised value of crossover row `tableRow` (0..2):
    sqrt ((hz - min) / (max - min)) in single precision. Frequencies outside the row's range
    (which only a damaged saved state can supply) are clamped into it, and NaN counts as the
    minimum, so the result is always a valid normalised value. [any thread] */
float frequencyToNormalised (float frequencyHz, int tableRow) noexcept;

/** True when a band switch's normalised value counts as on: it rounds (halves away from zero)
    to a non-zero integer, that is from 0.5 up. NaN counts as off. Inline, because the audio
    thread asks it for every band of every channel of every sample. [any thread] */
inline bool isBandSwitchOn (float normalisedValue) noexcept
{
    // Rounding half away from zero gives a non-zero integer exactly when |v| >= 0.5, and NaN
    // fails the comparison.
    return std::abs (normalisedValue) >= 0.5f;
}

} // namespace zenvar
