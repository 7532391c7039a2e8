#pragma once

#include "controls/FreqView.h"
#include "controls/MultiSlider.h"

#include <array>

class ZenvarValueBar;

/** The band strip: three crossover thumbs splitting a rounded strip into four bands A to D, each
    of which is also an on/off switch. A press on a band that grabs no thumb darkens the band, and
    its release flips the band's switch. Behind the bands the strip paints the live spectrum of
    its `FreqView`, and every thumb value it stores is mirrored into the read-out above it.
    [message thread]
*/
class ZenvarMultiSlider : public MultiSlider
{
public:
    static constexpr int numBands = 4;

    //==============================================================================
    /** Hears band switches as well as the thumb changes of `MultiSlider::Listener`. */
    class Listener : public MultiSlider::Listener
    {
    public:
        /** Band `band`'s switch changed by a click (or by `setBandActive` with notification);
            read it with `isBandActive`. Band listeners are called from the first added to the
            last. */
        virtual void bandActiveChanged (ZenvarMultiSlider* slider, int band) = 0;
    };

    //==============================================================================
    /** Three thumbs at 0.25, 0.5 and 0.75 with a minimum distance of 1/26, all bands on.
        [message thread] */
    ZenvarMultiSlider();
    ~ZenvarMultiSlider() override;

    //==============================================================================
    /** Switches band `band` (0..3) on or off and recolours it; with `sendNotification`, band
        listeners hear of it. Setting the current state does nothing; an index out of range is
        ignored. [message thread] */
    void setBandActive (int band, bool active, bool sendNotification);

    /** Whether band `band` is switched on; false for an index out of range. [message thread] */
    bool isBandActive (int band) const noexcept;

    /** Sets the colour band `band` shows while on, and shows it at once whatever the switch
        state; an index out of range is ignored. [message thread] */
    void setBandColour (int band, juce::Colour newColour);

    /** Links the read-out that mirrors the thumbs (not owned; null unlinks it). The current thumb
        values are pushed into it at once. [message thread] */
    void setValueBar (ZenvarValueBar* newValueBar);

    /** Sets the font of the band letters; JUCE's default sans-serif until called. No repaint.
        [message thread] */
    void setLabelFont (const juce::Font& newFont);

    const juce::Font& getLabelFont() const noexcept { return labelFont; }

    /** The spectrum view painted behind the bands; feed it with `updateSpectrum`, then repaint
        the strip. [message thread] */
    FreqView& getFreqView() noexcept { return freqView; }

    /** The area a press must hit to press band `band` (0..3) at the current thumb values; empty
        for an index out of range. Truncation can leave one-pixel gaps between bands.
        [message thread] */
    juce::Rectangle<int> getBandArea (int band) const noexcept;

    //==============================================================================
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

protected:
    void thumbMoved (int index, float newValue) override;

private:
    //==============================================================================
    juce::Colour getBaseColour (int band) const noexcept;
    void notifyBandActiveChanged (int band);
    void paintBandsAndLetters (juce::Graphics& g);
    void paintThumbs (juce::Graphics& g);

    juce::Font labelFont;
    std::array<const char*, numBands> bandLabels { "A", "B", "C", "D" };
    std::array<bool, numBands> bandActive { true, true, true, true };
    int pressedBand = -1;
    std::array<juce::Colour, numBands> activeColours;
    juce::Colour inactiveColour { 0xff747474 };
    FreqView freqView;
    ZenvarValueBar* valueBar = nullptr;
    juce::ColourGradient backgroundGradient;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarMultiSlider)
};
