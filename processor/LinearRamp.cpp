#include "LinearRamp.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zenvar
{

void LinearRamp::reset (double sampleRate, double rampLengthInSeconds) noexcept
{
    const auto length = std::floor (rampLengthInSeconds * sampleRate);

    // Bad rates (NaN, negative, absurdly large) give no ramp or the longest one, never UB.
    reset (length >= 1.0 ? static_cast<int> (std::min (length, static_cast<double> (std::numeric_limits<int>::max())))
                         : 0);
}

void LinearRamp::reset (int numSteps) noexcept
{
    stepsToTarget = numSteps;
    setCurrentAndTargetValue (target);
}

void LinearRamp::setTargetValue (float newTarget) noexcept
{
    if (approximatelyEqual (newTarget, target))
        return;

    if (stepsToTarget <= 0)
    {
        setCurrentAndTargetValue (newTarget);
        return;
    }

    target = newTarget;
    countdown = stepsToTarget;
    step = (target - currentValue) / static_cast<float> (countdown);
}

bool LinearRamp::approximatelyEqual (float a, float b) noexcept
{
    if (! (std::isfinite (a) && std::isfinite (b)))
        return a == b;

    const auto difference = std::abs (a - b);
    return difference <= std::numeric_limits<float>::min()
           || difference <= std::numeric_limits<float>::epsilon() * std::max (std::abs (a), std::abs (b));
}

} // namespace zenvar
