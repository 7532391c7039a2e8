#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A toggle button that shows one picture while off and another while on, stretched to fill the
    button. It paints itself, so no look-and-feel applies; clicking flips its state, and it never
    takes the keyboard focus. [message thread]
*/
class MSToggleImageButton : public juce::ToggleButton
{
public:
    MSToggleImageButton();
    ~MSToggleImageButton() override;

    //==============================================================================
    /** Sets the pictures for the off and on states and repaints; a null picture leaves its state
        blank. [message thread] */
    void setImages (const juce::Image& newOffImage, const juce::Image& newOnImage);

    //==============================================================================
    /** Draws the picture of the current state stretched to the button's bounds, aspect ratio not
        kept; nothing when that picture is null. */
    void paint (juce::Graphics& g) override;

private:
    //==============================================================================
    juce::Image offImage;
    juce::Image onImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MSToggleImageButton)
};
