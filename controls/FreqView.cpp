#include "controls/FreqView.h"

#include <cmath>

namespace
{
constexpr float lowestTrustedRateHz = 22000.0f;
constexpr float fallbackRateHz = 44100.0f;
constexpr float levelFallPerUpdate = 0.01f;
constexpr float fullScaleMagnitude = 0.1f;

float getLevelTarget (float magnitude, float axisPosition) noexcept
{
    // The tilt lifts the high bins, whose magnitudes are naturally smaller.
    const auto gain = (magnitude / fullScaleMagnitude) * (2.0f * std::sin (axisPosition) + 1.0f);

    // Written so that NaN lands on 1, whose sine is 0: a damaged bin never becomes a level.
    const auto limitedGain = gain < 1.0f ? gain : 1.0f;
    return std::sin (juce::MathConstants<float>::pi * limitedGain);
}
} // namespace

FreqView::FreqView() = default;

FreqView::~FreqView() = default;

float FreqView::getEffectiveSampleRate (double reportedSampleRateHz) noexcept
{
    const auto rate = static_cast<float> (reportedSampleRateHz);

    if (!std::isfinite (rate) || rate < lowestTrustedRateHz)
        return fallbackRateHz;

    return rate;
}

FreqView::BinRange FreqView::getBinRange (float sampleRateHz) noexcept
{
    const auto binWidth = sampleRateHz * 0.5f * (1.0f / static_cast<float> (numBins));
    const auto first = static_cast<int> (minHz / binWidth);
    const auto axisEnd = static_cast<int> (maxHz / binWidth);

    BinRange range;
    range.first = first;
    range.end = juce::jmin (axisEnd, numBins);
    range.axisSpan = static_cast<float> (axisEnd - first);
    return range;
}

void FreqView::updateSpectrum (const kiss_fft_cpx* frame, double sampleRateHz)
{
    sampleRate = getEffectiveSampleRate (sampleRateHz);
    const auto range = getBinRange (sampleRate);

    if (range.isEmpty())
        return;

    for (int bin = range.first; bin < range.end; ++bin)
    {
        const auto axisPosition = static_cast<float> (bin - range.first) / range.axisSpan;
        const auto target = frame != nullptr ? getLevelTarget (frame[bin].r, axisPosition) : 0.0f;
        auto& level = levels[static_cast<size_t> (bin)];

        if (target > level)
            level = target;
        else
            level = juce::jmax (0.0f, level - levelFallPerUpdate);
    }

    updatePositions();
}

void FreqView::resized()
{
    // Positions made for the old size would draw a wrong shape until the next update; a zoom
    // change would flash a dark block over the strip even with no sound.
    updatePositions();
}

void FreqView::updatePositions() noexcept
{
    const auto range = getBinRange (sampleRate);
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());

    for (int bin = range.first; bin < range.end; ++bin)
    {
        const auto axisPosition = static_cast<float> (bin - range.first) / range.axisSpan;
        xPositions[static_cast<size_t> (bin)] = std::sqrt (axisPosition) * width;
        yPositions[static_cast<size_t> (bin)] = levels[static_cast<size_t> (bin)] * height * -0.5f + height;
    }
}

void FreqView::paint (juce::Graphics& g)
{
    const auto range = getBinRange (sampleRate);

    if (range.isEmpty())
        return;

    const auto mid = static_cast<float> (getHeight()) * 0.5f;
    const auto xAt = [this] (int bin)
    { return xPositions[static_cast<size_t> (bin)]; };
    const auto yAt = [this] (int bin)
    { return yPositions[static_cast<size_t> (bin)]; };

    juce::Path shape;
    shape.startNewSubPath (0.0f, yAt (range.first) - mid);

    for (int bin = range.first + 1; bin < range.end; ++bin)
        shape.lineTo (xAt (bin), yAt (bin) - mid);

    // The lower outline mirrors the upper one about y = mid, walking back from the second-last bin.
    for (int bin = range.end - 2; bin >= range.first; --bin)
        shape.lineTo (xAt (bin), mid - (yAt (bin) - mid) + mid);

    shape.closeSubPath();

    if (!g.isClipEmpty() && range.end - range.first > 1)
        g.fillPath (shape);
}

float FreqView::getLevel (int bin) const noexcept
{
    if (!juce::isPositiveAndBelow (bin, numBins))
        return 0.0f;

    return levels[static_cast<size_t> (bin)];
}
