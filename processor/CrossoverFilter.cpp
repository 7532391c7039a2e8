#include "CrossoverFilter.h"

namespace zenvar
{

void CrossoverFilter::setLowPass (Float4 cutoffHz) noexcept
{
    kind = FilterKind::lowPass;
    lowSections[0].designLowPass (cutoffHz);
    lowSections[1].designLowPass (cutoffHz);
}

void CrossoverFilter::setHighPass (Float4 cutoffHz) noexcept
{
    kind = FilterKind::highPass;
    highSections[0].designHighPass (cutoffHz);
    highSections[1].designHighPass (cutoffHz);
}

void CrossoverFilter::setAllPass (Float4 cutoffHz) noexcept
{
    kind = FilterKind::allPass;
    lowSections[0].designLowPass (cutoffHz);
    lowSections[1].designLowPass (cutoffHz);
    highSections[0].designHighPass (cutoffHz);
    highSections[1].designHighPass (cutoffHz);
}

void CrossoverFilter::reset() noexcept
{
    for (auto& section : lowSections)
        section.reset();

    for (auto& section : highSections)
        section.reset();
}

void CrossoverFilter::setSampleRate (float sampleRateHz) noexcept
{
    for (auto& section : lowSections)
        section.setSampleRate (sampleRateHz);

    for (auto& section : highSections)
        section.setSampleRate (sampleRateHz);
}

} // namespace zenvar
