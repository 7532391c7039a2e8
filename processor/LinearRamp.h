#pragma once

namespace zenvar
{

/** A value that moves linearly to a new target over a fixed number of samples; the crossover
    frequencies ramp with it.

    Its stepping is that of the framework's linear SmoothedValue: the step is
    (target - current) / steps, added once per sample, and the last step lands exactly on the
    target. Unlike the SmoothedValue of JUCE 7.0.5, which restarts the ramp whenever a target
    differs in any bit, a target approximately equal to the current one is ignored, as later JUCE
    versions do (see setTargetValue()). Not thread-safe: one audio thread owns it.
*/
class LinearRamp
{
public:
    explicit LinearRamp (float initialValue = 0.0f) noexcept
        : currentValue (initialValue)
        , target (initialValue)
    {
    }

    //==============================================================================
    /** Sets the ramp length to floor(rampLengthInSeconds × sampleRate) samples and jumps to the
        target, ending any ramp in progress. [audio thread, or while processing is stopped] */
    void reset (double sampleRate, double rampLengthInSeconds) noexcept;

    /** Sets the ramp length in samples (0 or less: new targets are taken at once) and jumps to
        the target. [audio thread] */
    void reset (int numSteps) noexcept;

    /** Starts a full-length ramp from the current value to `newTarget`. A target approximately
        equal to the current target (within the smallest normal float, or within one float
        epsilon relative to the larger magnitude; non-finite values only when identical) is
        ignored, so a ramp in progress continues. With a ramp length of 0 the value jumps.
        [audio thread] */
    void setTargetValue (float newTarget) noexcept;

    /** Jumps to `newValue` and stops any ramp. [audio thread] */
    void setCurrentAndTargetValue (float newValue) noexcept
    {
        target = currentValue = newValue;
        countdown = 0;
    }

    /** Advances one sample and returns the new value; the target once the ramp has ended.
        [audio thread] */
    float getNextValue() noexcept
    {
        if (! isSmoothing())
            return target;

        --countdown;

        if (isSmoothing())
            currentValue += step;
        else
            currentValue = target;

        return currentValue;
    }

    /** Writes the next `numValues` values into `destination`: exactly what that many calls of
        getNextValue() return, without going through memory between steps. [audio thread] */
    void fillNextValues (float* destination, int numValues) noexcept
    {
        auto current = currentValue;
        auto remaining = countdown;

        for (int i = 0; i < numValues; ++i)
        {
            if (remaining <= 0)
            {
                destination[i] = target;
                continue;
            }

            --remaining;
            current = remaining > 0 ? current + step : target;
            destination[i] = current;
        }

        currentValue = current;
        countdown = remaining;
    }

    //==============================================================================
    bool isSmoothing() const noexcept { return countdown > 0; }
    float getCurrentValue() const noexcept { return currentValue; }
    float getTargetValue() const noexcept { return target; }
    int getRampLengthInSamples() const noexcept { return stepsToTarget; }

    /** Samples until the ramp in progress reaches its target; 0 when none runs. */
    int getRemainingSteps() const noexcept { return countdown; }

    /** The tolerant comparison setTargetValue() uses; true for identical values, false
        whenever one of them is NaN. */
    static bool approximatelyEqual (float a, float b) noexcept;

private:
    //==============================================================================
    float currentValue = 0.0f;
    float target = 0.0f;
    float step = 0.0f;
    int countdown = 0;
    int stepsToTarget = 0;
};

} // namespace zenvar
