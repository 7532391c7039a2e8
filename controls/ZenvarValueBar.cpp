#include "controls/ZenvarValueBar.h"

#include <cmath>

namespace
{
float limitToUnitRange (float value) noexcept
{
    // NaN fails the first comparison and reads as 0.
    return value >= 0.0f ? juce::jmin (value, 1.0f) : 0.0f;
}

juce::String wholeNumberText (float roundedValue)
{
    // Only a nonsense frequency range gets near this limit; it keeps the conversion defined.
    constexpr float largestShown = 1.0e15f;
    return juce::String (static_cast<juce::int64> (juce::jlimit (-largestShown, largestShown, roundedValue)));
}
} // namespace

juce::String formatFrequency (float minHz, float maxHz, float normalisedValue)
{
    jassert (std::isfinite (minHz) && std::isfinite (maxHz));

    const auto v = static_cast<double> (limitToUnitRange (normalisedValue));
    const auto rangeHz = maxHz - minHz;
    const auto hz = static_cast<float> (static_cast<double> (minHz) + v * v * static_cast<double> (rangeHz));

    if (std::isnan (hz))
        return {};

    if (hz >= 1000.0f)
    {
        const auto kilohertz = hz / 1000.0f;
        const auto nearest = std::round (kilohertz); // halves away from zero

        if (std::abs (nearest - kilohertz) < 0.1f)
            return wholeNumberText (nearest) + "K";

        return juce::String (static_cast<double> (kilohertz), 1) + "K";
    }

    return wholeNumberText (std::round (hz));
}

//==============================================================================
ZenvarValueBar::ZenvarValueBar() = default;

ZenvarValueBar::~ZenvarValueBar() = default;

void ZenvarValueBar::setValue (int index, float normalisedValue)
{
    jassert (juce::isPositiveAndBelow (index, numReadOuts));

    if (!juce::isPositiveAndBelow (index, numReadOuts))
        return;

    values[static_cast<size_t> (index)] = limitToUnitRange (normalisedValue);
    repaint();
}

float ZenvarValueBar::getValue (int index) const noexcept
{
    if (!juce::isPositiveAndBelow (index, numReadOuts))
        return 0.0f;

    return values[static_cast<size_t> (index)];
}

void ZenvarValueBar::setFont (const juce::Font& newFont)
{
    font = newFont;
    smallFont = newFont.withPointHeight (newFont.getHeightInPoints() * smallFontScale);
}

void ZenvarValueBar::setBoxWidth (float newBoxWidthInPixels)
{
    // Keeps the integer box width defined whatever the caller passes.
    constexpr float widestBox = 65536.0f;
    boxWidth = newBoxWidthInPixels >= 0.0f ? juce::jmin (newBoxWidthInPixels, widestBox) : 0.0f;
}

ZenvarValueBar::Placement ZenvarValueBar::getPlacement (int index) const
{
    if (!juce::isPositiveAndBelow (index, numReadOuts))
        return {};

    return computePlacements()[static_cast<size_t> (index)];
}

std::array<ZenvarValueBar::Placement, ZenvarValueBar::numReadOuts> ZenvarValueBar::computePlacements() const
{
    const auto boxWidthInt = static_cast<int> (boxWidth);
    const auto boxWidthFloat = static_cast<float> (boxWidthInt);
    const auto halfBox = boxWidthFloat * 0.5f;
    const auto barWidth = static_cast<float> (getWidth());
    const auto barHeight = getHeight();
    const auto halfHeight = static_cast<int> (static_cast<float> (barHeight) * 0.5f);

    std::array<int, numReadOuts> left {};
    std::array<float, numReadOuts> unroundedLeft {};

    for (size_t k = 0; k < numReadOuts; ++k)
    {
        const auto centre = values[k] * barWidth;
        left[k] = static_cast<int> (static_cast<double> (centre) - boxWidthInt * 0.5);
        unroundedLeft[k] = centre - halfBox;
    }

    // Each test takes the truncated edge of the read-out being placed and the unrounded edge of
    // its neighbour, so the tests are deliberately not symmetric.
    const auto tooClose = [boxWidthFloat] (float gap)
    { return gap - boxWidthFloat < 1.0f; };

    const std::array<bool, numReadOuts> collides {
        tooClose (unroundedLeft[1] - static_cast<float> (left[0])),
        tooClose (unroundedLeft[2] - static_cast<float> (left[1]))
            || tooClose (static_cast<float> (left[1]) - unroundedLeft[0]),
        tooClose (static_cast<float> (left[2]) - unroundedLeft[1])
    };

    std::array<Placement, numReadOuts> placements;

    for (size_t k = 0; k < numReadOuts; ++k)
    {
        placements[k].collides = collides[k];

        if (!collides[k])
            placements[k].box = { left[k], 0, boxWidthInt, barHeight };
        else if (k == 1)
            placements[k].box = { left[k], halfHeight, boxWidthInt, halfHeight };
        else
            placements[k].box = { left[k], 0, boxWidthInt, halfHeight };
    }

    return placements;
}

void ZenvarValueBar::paint (juce::Graphics& g)
{
    g.setColour (juce::Colours::white);

    const auto placements = computePlacements();

    for (size_t k = 0; k < numReadOuts; ++k)
    {
        g.setFont (placements[k].collides ? smallFont : font);
        g.drawText (formatFrequency (minHz, maxHz, values[k]),
                    placements[k].box,
                    juce::Justification::centred,
                    true);
    }
}
