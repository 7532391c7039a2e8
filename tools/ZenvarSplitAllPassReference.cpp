#include "tools/ZenvarSplitAllPassReference.h"

#include <cmath>

double ZenvarSplitAllPassReference::AllPassSection::processSample (double input) noexcept
{
    const auto output = a2 * input + a1 * x1 + x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = input;
    y2 = y1;
    y1 = output;
    return output;
}

void ZenvarSplitAllPassReference::prepare (double sampleRate, const std::array<float, 3>& crossoversHz)
{
    const auto pi = 3.141592653589793238;

    for (size_t i = 0; i < sections.size(); ++i)
    {
        const auto g = std::tan (pi * (double) crossoversHz[i] / sampleRate);
        const auto denominator = g * g + std::sqrt (2.0) * g + 1.0;
        sections[i].a1 = 2.0 * (g * g - 1.0) / denominator;
        sections[i].a2 = (g * g - std::sqrt (2.0) * g + 1.0) / denominator;
    }

    reset();
}

void ZenvarSplitAllPassReference::reset() noexcept
{
    for (auto& section : sections)
        section.x1 = section.x2 = section.y1 = section.y2 = 0.0;
}

double ZenvarSplitAllPassReference::processSample (double input) noexcept
{
    auto output = input;

    for (auto& section : sections)
        output = section.processSample (output);

    return output;
}
