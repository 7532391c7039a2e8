#pragma once

#include "processor/FilterSection.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zenvar
{

/** What a CrossoverFilter passes. */
enum class FilterKind : std::int32_t
{
    lowPass = 0,
    highPass = 1,
    allPass = 2
};

//==============================================================================
/** A fourth-order Linkwitz-Riley low-pass, high-pass or all-pass at one crossover frequency,
    on four lanes.

    A low-pass or high-pass is two identical Butterworth sections in cascade. The all-pass runs
    both cascades on the same input and adds them: unit magnitude everywhere, with the phase that
    a split at its cutoff gives to the signals it separates. A kind designs and runs only the
    sections it uses; the others keep whatever they hold.
*/
class CrossoverFilter
{
public:
    //==============================================================================
    /** Becomes a low-pass at `cutoffHz`; the state is kept. [audio thread] */
    void setLowPass (Float4 cutoffHz) noexcept;

    /** Becomes a high-pass at `cutoffHz`; the state is kept. [audio thread] */
    void setHighPass (Float4 cutoffHz) noexcept;

    /** Becomes an all-pass at `cutoffHz`; the state is kept. [audio thread] */
    void setAllPass (Float4 cutoffHz) noexcept;

    /** As setLowPass(), setHighPass() and setAllPass(), from a design computed elsewhere at this
        filter's sample rate: bit for bit the same result without the tangent. [audio thread] */
    void applyLowPass (const ButterworthDesign& design) noexcept
    {
        kind = FilterKind::lowPass;
        lowSections[0].applyLowPass (design);
        lowSections[1].applyLowPass (design);
    }

    void applyHighPass (const ButterworthDesign& design) noexcept
    {
        kind = FilterKind::highPass;
        highSections[0].applyHighPass (design);
        highSections[1].applyHighPass (design);
    }

    void applyAllPass (const ButterworthDesign& design) noexcept
    {
        kind = FilterKind::allPass;
        lowSections[0].applyLowPass (design);
        lowSections[1].applyLowPass (design);
        highSections[0].applyHighPass (design);
        highSections[1].applyHighPass (design);
    }

    //==============================================================================
    /** Filters one sample according to the kind of the last design. [audio thread] */
    Float4 processSample (Float4 x) noexcept
    {
        switch (kind)
        {
            case FilterKind::highPass:
                return processHighPass (x);
            case FilterKind::allPass:
                return processAllPass (x);
            case FilterKind::lowPass:
            default:
                return processLowPass (x);
        }
    }

    /** processSample() for a caller that knows the kind, saving the dispatch. [audio thread] */
    Float4 processLowPass (Float4 x) noexcept { return lowSections[1].processSample (lowSections[0].processSample (x)); }
    Float4 processHighPass (Float4 x) noexcept { return highSections[1].processSample (highSections[0].processSample (x)); }
    Float4 processAllPass (Float4 x) noexcept
    {
        const auto high = processHighPass (x);
        return high + processLowPass (x);
    }

    /** As processLowPass(), processHighPass() and processAllPass(), with `design` in place of
        the stored coefficients (which stay as they are): the result of applying the design and
        then processing, without storing it. [audio thread] */
    Float4 processLowPass (Float4 x, const ButterworthDesign& design) noexcept
    {
        return lowSections[1].processLowPassSample (lowSections[0].processLowPassSample (x, design), design);
    }

    Float4 processHighPass (Float4 x, const ButterworthDesign& design) noexcept
    {
        return highSections[1].processHighPassSample (highSections[0].processHighPassSample (x, design), design);
    }

    Float4 processAllPass (Float4 x, const ButterworthDesign& design) noexcept
    {
        const auto high = processHighPass (x, design);
        return high + processLowPass (x, design);
    }

    /** Clears the state of all four sections; kind and coefficients stay. [audio thread] */
    void reset() noexcept;

    /** Sets the rate (Hz) the next design uses in all four sections. [audio thread] */
    void setSampleRate (float sampleRateHz) noexcept;

    //==============================================================================
    FilterKind getKind() const noexcept { return kind; }
    const FilterSection& getLowSection (int index) const noexcept { return lowSections[static_cast<std::size_t> (index)]; }
    const FilterSection& getHighSection (int index) const noexcept { return highSections[static_cast<std::size_t> (index)]; }

private:
    //==============================================================================
    FilterKind kind = FilterKind::lowPass;
    std::array<FilterSection, 2> lowSections;
    std::array<FilterSection, 2> highSections;
};

} // namespace zenvar
