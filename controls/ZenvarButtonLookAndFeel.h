#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws each toggle button it is set on as a round badge with its text centred: a faint white
    disc while off, a brighter disc with a thin white ring while on. Hover and press change
    nothing. Everything else is `juce::LookAndFeel_V2`'s. [message thread]
*/
class ZenvarButtonLookAndFeel : public juce::LookAndFeel_V2
{
public:
    ZenvarButtonLookAndFeel();
    ~ZenvarButtonLookAndFeel() override;

    //==============================================================================
    /** Sets the font of the badge text; JUCE's default sans-serif until called. Buttons show it
        at their next repaint. [message thread] */
    void setButtonFont (const juce::Font& newFont);

    const juce::Font& getButtonFont() const noexcept { return buttonFont; }

    //==============================================================================
    void drawToggleButton (juce::Graphics& g,
                           juce::ToggleButton& button,
                           bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

private:
    //==============================================================================
    juce::Font buttonFont;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarButtonLookAndFeel)
};
