#include "controls/MultiSlider.h"

namespace
{
const juce::Colour evenSegmentColour { 0xff0000ff };
const juce::Colour oddSegmentColour { 0xff808080 };
} // namespace

MultiSlider::MultiSlider (int numberOfThumbs)
    : numThumbs (juce::jmax (0, numberOfThumbs))
{
    jassert (numberOfThumbs >= 0);

    for (int i = 0; i < numThumbs; ++i)
        values.push_back (static_cast<float> (i + 1) / static_cast<float> (numThumbs + 1));

    for (int i = 0; i <= numThumbs; ++i)
        segmentColours.push_back (i % 2 == 0 ? evenSegmentColour : oddSegmentColour);
}

MultiSlider::~MultiSlider() = default;

//==============================================================================
void MultiSlider::setValue (int index, float newValue, bool sendNotification)
{
    jassert (juce::isPositiveAndBelow (index, numThumbs));

    if (juce::isPositiveAndBelow (index, numThumbs))
        moveThumb (index, newValue, sendNotification, PushDirection::both);
}

void MultiSlider::moveThumb (int index, float newValue, bool sendNotification, PushDirection direction)
{
    // Compared before limiting: a repeated request beyond a limit is stored and reported again.
    if (values[static_cast<size_t> (index)] == newValue)
        return;

    const auto lowest = static_cast<float> (index + 1) * minDistance;

    if (!(newValue >= lowest))
    {
        newValue = lowest;
    }
    else
    {
        const auto highest = 1.0f - minDistance * static_cast<float> (numThumbs - index);

        if (newValue > highest)
            newValue = highest;
    }

    values[static_cast<size_t> (index)] = newValue;
    thumbMoved (index, newValue);

    // A pushed thumb only passes the push on, away from the thumb that pushed it. Rounding can
    // leave a limited thumb a hair short of its neighbour's spacing, and pushing back would then
    // bounce between the two for ever.
    const juce::Component::BailOutChecker checker (this);

    if (direction != PushDirection::up && index > 0
        && values[static_cast<size_t> (index - 1)] > newValue - minDistance)
    {
        moveThumb (index - 1, newValue - minDistance, sendNotification, PushDirection::down);

        if (checker.shouldBailOut())
            return;
    }

    if (direction != PushDirection::down && index < numThumbs - 1
        && newValue + minDistance > values[static_cast<size_t> (index + 1)])
    {
        moveThumb (index + 1, newValue + minDistance, sendNotification, PushDirection::up);

        if (checker.shouldBailOut())
            return;
    }

    if (sendNotification)
    {
        sendValueChanged (index);

        if (checker.shouldBailOut())
            return;
    }

    repaint();
}

float MultiSlider::getValue (int index) const noexcept
{
    jassert (juce::isPositiveAndBelow (index, numThumbs));

    if (!juce::isPositiveAndBelow (index, numThumbs))
        return 0.0f;

    return values[static_cast<size_t> (index)];
}

void MultiSlider::setMinimumDistance (float newMinimumDistance)
{
    // Beyond 1 / (thumbs + 1) a thumb's range would be empty and neighbours would push each
    // other back and forth for ever.
    const auto largest = 1.0f / static_cast<float> (numThumbs + 1);
    minDistance = newMinimumDistance >= 0.0f ? juce::jmin (newMinimumDistance, largest) : 0.0f;
}

void MultiSlider::setSegmentColour (int segment, juce::Colour newColour)
{
    jassert (juce::isPositiveAndNotGreaterThan (segment, numThumbs));

    if (!juce::isPositiveAndNotGreaterThan (segment, numThumbs))
        return;

    segmentColours[static_cast<size_t> (segment)] = newColour;
    repaint();
}

juce::Colour MultiSlider::getSegmentColour (int segment) const noexcept
{
    if (!juce::isPositiveAndNotGreaterThan (segment, numThumbs))
        return {};

    return segmentColours[static_cast<size_t> (segment)];
}

void MultiSlider::addListener (Listener* listener)
{
    listeners.add (listener);
}

void MultiSlider::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

//==============================================================================
void MultiSlider::mouseDown (const juce::MouseEvent& event)
{
    lastDragX = static_cast<float> (event.getMouseDownX());
    draggedThumb = -1;

    const auto width = static_cast<float> (getWidth());

    for (int i = 0; i < numThumbs; ++i)
    {
        const auto thumbX = values[static_cast<size_t> (i)] * width;

        // Open on both sides: a press exactly grabRadius pixels away misses.
        if (lastDragX > thumbX - grabRadius && thumbX + grabRadius > lastDragX)
        {
            draggedThumb = i;
            sendDragStarted (i);
            return;
        }
    }
}

void MultiSlider::mouseDrag (const juce::MouseEvent& event)
{
    const auto x = static_cast<float> (event.x);

    if (draggedThumb != -1 && getWidth() > 0)
    {
        auto step = 1.0f / static_cast<float> (getWidth());

        if (event.mods.isAltDown())
            step *= 0.1f;

        // Relative: only this event's movement is added, wherever the thumb is now.
        const juce::Component::BailOutChecker checker (this);
        setValue (draggedThumb, values[static_cast<size_t> (draggedThumb)] + (x - lastDragX) * step, true);

        if (checker.shouldBailOut())
            return;
    }

    lastDragX = x;
}

void MultiSlider::mouseUp (const juce::MouseEvent&)
{
    if (draggedThumb != -1)
    {
        const juce::Component::BailOutChecker checker (this);
        sendDragEnded (draggedThumb);

        if (checker.shouldBailOut())
            return;
    }

    draggedThumb = -1;
}

void MultiSlider::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();
    const auto widthFloat = static_cast<float> (width);

    const auto firstRight = numThumbs > 0 ? static_cast<int> (values[0] * widthFloat) : width;
    g.setColour (segmentColours[0]);
    g.fillRect (0, 0, firstRight, height);

    for (int i = 1; i <= numThumbs; ++i)
    {
        const auto left = static_cast<int> (values[static_cast<size_t> (i - 1)] * widthFloat);
        const auto segmentWidth = i < numThumbs
                                      ? static_cast<int> (widthFloat * values[static_cast<size_t> (i)] - static_cast<float> (left))
                                      : width - left;

        g.setColour (segmentColours[static_cast<size_t> (i)]);
        g.fillRect (left, 0, segmentWidth, height);
    }
}

//==============================================================================
void MultiSlider::thumbMoved (int, float) { }

void MultiSlider::sendDragStarted (int index)
{
    listeners.callChecked (juce::Component::BailOutChecker (this),
                           [this, index] (Listener& l)
                           { l.multiSliderDragStarted (this, index); });
}

void MultiSlider::sendValueChanged (int index)
{
    listeners.callChecked (juce::Component::BailOutChecker (this),
                           [this, index] (Listener& l)
                           { l.multiSliderValueChanged (this, index); });
}

void MultiSlider::sendDragEnded (int index)
{
    listeners.callChecked (juce::Component::BailOutChecker (this),
                           [this, index] (Listener& l)
                           { l.multiSliderDragEnded (this, index); });
}
