#pragma once

#include "processor/Float4.h"

namespace zenvar
{

/** The coefficients of one second-order Butterworth design at one cutoff, in both flavours.

    A low-pass and a high-pass design at the same cutoff and sample rate share every term but the
    gain, so filters that share a cutoff can share one computation of this.
*/
struct ButterworthDesign
{
    Float4 cutoff;
    Float4 feedback1;
    Float4 feedback2;
    Float4 lowPassGain;
    Float4 highPassGain;

    /** Designs each lane from its cutoff and sample rate (Hz) by the bilinear transform with
        tangent pre-warping. [audio thread]

        The warped angle w = cutoff·π/rate is held within minimumWarpedAngle..maximumWarpedAngle.
        Near either end of 0..π/2 the single-precision coefficients can no longer keep the poles
        inside the unit circle (at w = π/2 the tangent has its pole; at 20 Hz and 384 kHz a pole
        already rounds onto z = 1), so beyond the limits the design is that of the limit: finite
        and stable. Inside them every design is exactly the unlimited one. */
    static ButterworthDesign compute (Float4 cutoffHz, Float4 sampleRateHz) noexcept;

    /** The design of lane `index`, broadcast into all four lanes. */
    ButterworthDesign broadcastLane (int index) const noexcept
    {
        return { cutoff.broadcastLane (index),
                 feedback1.broadcastLane (index),
                 feedback2.broadcastLane (index),
                 lowPassGain.broadcastLane (index),
                 highPassGain.broadcastLane (index) };
    }

    /** Largest warped angle designed as is: cutoffs up to 0.4994 × the rate (19977 Hz at
        40 kHz) are unaffected; higher ones, reachable only below 40 kHz, or a NaN angle, get
        this angle. */
    static constexpr float maximumWarpedAngle = 1.569f;

    /** Smallest warped angle designed as is: 20 Hz is unaffected at every rate up to 209 kHz;
        lower cutoffs at higher rates, and zero or negative ones, get this angle. */
    static constexpr float minimumWarpedAngle = 3.0e-4f;
};

//==============================================================================
/** One second-order section in direct form II, on four lanes.

    All arithmetic is single precision in a fixed order of operations, which decides the bits of
    the output; the section allocates nothing and has no branches. A fresh section has zero state,
    zero coefficients (so it outputs silence until designed) and a sample rate of 44100 Hz.
*/
class FilterSection
{
public:
    //==============================================================================
    /** Stores `cutoffHz` and designs a Butterworth low-pass at it for the current sample rate.
        The state is kept, so a changing cutoff continues from it. [audio thread] */
    void designLowPass (Float4 cutoffHz) noexcept;

    /** As designLowPass(), for a high-pass. [audio thread] */
    void designHighPass (Float4 cutoffHz) noexcept;

    /** Takes the low-pass flavour of a design computed elsewhere; bit for bit the same as
        designLowPass() with the design's cutoff at this section's sample rate. [audio thread] */
    void applyLowPass (const ButterworthDesign& design) noexcept
    {
        apply (design, design.lowPassGain, Float4::broadcast (2.0f));
    }

    /** Takes the high-pass flavour of a design computed elsewhere. [audio thread] */
    void applyHighPass (const ButterworthDesign& design) noexcept
    {
        apply (design, design.highPassGain, Float4::broadcast (-2.0f));
    }

    /** One step of the recursion. [audio thread] */
    Float4 processSample (Float4 x) noexcept { return step (x, feedback1, feedback2, gain, middleTap); }

    /** One step with the low-pass or high-pass flavour of `design` instead of the stored
        coefficients, which stay as they are: what processSample() gives after applyLowPass()
        or applyHighPass(), without storing the design. [audio thread] */
    Float4 processLowPassSample (Float4 x, const ButterworthDesign& design) noexcept
    {
        return step (x, design.feedback1, design.feedback2, design.lowPassGain, Float4::broadcast (2.0f));
    }

    Float4 processHighPassSample (Float4 x, const ButterworthDesign& design) noexcept
    {
        return step (x, design.feedback1, design.feedback2, design.highPassGain, Float4::broadcast (-2.0f));
    }

    /** Clears the state; coefficients, sample rate and cutoff stay. [audio thread] */
    void reset() noexcept
    {
        delay1 = delay2 = Float4 {};
    }

    /** Sets the rate (Hz) the next design uses; the current coefficients stay. [audio thread] */
    void setSampleRate (float sampleRateHz) noexcept { sampleRate = Float4::broadcast (sampleRateHz); }

    //==============================================================================
    /** The recursion's value for the last sample. It always equals delay1 (both are set to it,
        and both are cleared together), so it is not stored twice. */
    Float4 getIntermediate() const noexcept { return delay1; }
    Float4 getDelay1() const noexcept { return delay1; }
    Float4 getDelay2() const noexcept { return delay2; }
    Float4 getFeedback1() const noexcept { return feedback1; }
    Float4 getFeedback2() const noexcept { return feedback2; }
    Float4 getGain() const noexcept { return gain; }
    Float4 getMiddleTap() const noexcept { return middleTap; }
    Float4 getSampleRate() const noexcept { return sampleRate; }
    Float4 getCutoff() const noexcept { return cutoff; }

private:
    //==============================================================================
    Float4 step (Float4 x, Float4 useFeedback1, Float4 useFeedback2, Float4 useGain, Float4 useMiddleTap) noexcept
    {
        const auto v = (useFeedback2 * delay2 + useFeedback1 * delay1) + x;
        const auto y = ((useMiddleTap * delay1 + v) + delay2) * useGain;
        delay2 = delay1;
        delay1 = v;
        return y;
    }

    void apply (const ButterworthDesign& design, Float4 newGain, Float4 newMiddleTap) noexcept
    {
        cutoff = design.cutoff;
        feedback1 = design.feedback1;
        feedback2 = design.feedback2;
        gain = newGain;
        middleTap = newMiddleTap;
    }

    Float4 delay1 {};
    Float4 delay2 {};
    Float4 feedback1 {};
    Float4 feedback2 {};
    Float4 gain {};
    Float4 middleTap {};
    Float4 sampleRate = Float4::broadcast (44100.0f);
    Float4 cutoff {};
};

} // namespace zenvar
