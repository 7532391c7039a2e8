#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace zenvar::test
{

/** Drives one component's mouse handlers the way a user's press, drags and release would, without
    a window on screen. Positions are in the component's own coordinates. */
class SyntheticMouse
{
public:
    explicit SyntheticMouse (juce::Component& componentToDrive)
        : target (componentToDrive)
    {
    }

    void press (float x, float y, juce::ModifierKeys extraModifiers = {})
    {
        downPosition = { x, y };
        downTime = juce::Time::getCurrentTime();
        target.mouseDown (makeEvent (downPosition, extraModifiers, false));
    }

    void dragTo (float x, float y, juce::ModifierKeys extraModifiers = {})
    {
        lastPosition = juce::Point<float> (x, y);
        target.mouseDrag (makeEvent (*lastPosition, extraModifiers, true));
    }

    /** Releases at the last drag position, or where the press happened when there was no drag. */
    void release (juce::ModifierKeys extraModifiers = {})
    {
        const auto position = lastPosition.value_or (downPosition);
        const auto wasDragged = lastPosition.has_value();
        lastPosition.reset();
        target.mouseUp (makeEvent (position, extraModifiers.withoutMouseButtons(), wasDragged));
    }

    void click (float x, float y)
    {
        press (x, y);
        release();
    }

private:
    juce::MouseEvent makeEvent (juce::Point<float> position, juce::ModifierKeys extraModifiers, bool wasDragged) const
    {
        const auto modifiers = extraModifiers.withFlags (juce::ModifierKeys::leftButtonModifier);
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(),
                                 position,
                                 modifiers,
                                 juce::MouseInputSource::defaultPressure,
                                 juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation,
                                 juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY,
                                 &target,
                                 &target,
                                 juce::Time::getCurrentTime(),
                                 downPosition,
                                 downTime,
                                 1,
                                 wasDragged);
    }

    juce::Component& target;
    juce::Point<float> downPosition;
    juce::Time downTime;
    std::optional<juce::Point<float>> lastPosition;
};

} // namespace zenvar::test
