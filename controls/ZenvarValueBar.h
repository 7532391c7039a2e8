#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** The text of one crossover read-out: the frequency of `normalisedValue` on the square-law scale
    from `minHz` to `maxHz`, as a whole number below 1000 Hz ("160", and "1000" just below 1 kHz)
    and in kilohertz above ("1.3K", "5K"). Values outside 0..1 read as the nearest end, NaN as 0.
    [any thread] */
juce::String formatFrequency (float minHz, float maxHz, float normalisedValue);

/** The read-out strip above the band strip: the three crossover frequencies, each centred over
    its thumb. Read-outs that would touch shrink into a smaller font and stagger, the outer ones in
    the upper half of the bar and the middle one in the lower half. Draws white text only and takes
    no input. [message thread]
*/
class ZenvarValueBar : public juce::Component
{
public:
    static constexpr int numReadOuts = 3;

    //==============================================================================
    ZenvarValueBar();
    ~ZenvarValueBar() override;

    //==============================================================================
    /** Stores the normalised value of read-out `index` (0..2) and repaints. Values are limited to
        0..1 (NaN reads as 0) and an index out of range is ignored. [message thread] */
    void setValue (int index, float normalisedValue);

    /** The stored normalised value of read-out `index`; 0 for an index out of range.
        [message thread] */
    float getValue (int index) const noexcept;

    /** Sets the full-height font and derives the small font from it at 78 % of its point height,
        same typeface and style. Until called, both are JUCE's default sans-serif. No repaint.
        [message thread] */
    void setFont (const juce::Font& newFont);

    const juce::Font& getFont() const noexcept { return font; }
    const juce::Font& getSmallFont() const noexcept { return smallFont; }

    /** Sets the width in pixels of each read-out's box (30 at the editor's scale 1). Negative or
        non-finite widths count as 0. No repaint. [message thread] */
    void setBoxWidth (float newBoxWidthInPixels);

    /** Where one read-out is drawn, and whether it collided with a neighbour and so uses the
        small font in a half-height box. */
    struct Placement
    {
        juce::Rectangle<int> box;
        bool collides = false;
    };

    /** Where read-out `index` (0..2) is drawn at the current values, size and box width; an empty
        placement for an index out of range. [message thread] */
    Placement getPlacement (int index) const;

    //==============================================================================
    void paint (juce::Graphics& g) override;

private:
    //==============================================================================
    std::array<Placement, numReadOuts> computePlacements() const;

    float minHz = 20.0f;
    float maxHz = 20000.0f;
    std::array<float, numReadOuts> values {};
    juce::Font font;
    juce::Font smallFont;
    float boxWidth = 30.0f;
    float smallFontScale = 0.78f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarValueBar)
};
