#include "controls/ZenvarMultiSlider.h"

#include "controls/ZenvarValueBar.h"

#include <utility>

namespace
{
constexpr int numCrossoverThumbs = 3;
constexpr float cornerSize = 4.5f;
constexpr float pressDarkening = 0.05f;
constexpr int letterAreaHeight = 20;
constexpr float thumbDotDiameter = 7.0f;
} // namespace

ZenvarMultiSlider::ZenvarMultiSlider()
    : MultiSlider (numCrossoverThumbs)
    , backgroundGradient (juce::Colour (0xff000000), 195.0f, 0.0f, juce::Colour (0x00000000), 195.0f, 72.0f, false)
{
    for (int band = 0; band < numBands; ++band)
        activeColours[static_cast<size_t> (band)] = getSegmentColour (band);

    // Set last, so the thumbs keep their even spread from construction.
    setMinimumDistance (1.0f / 26.0f);
}

ZenvarMultiSlider::~ZenvarMultiSlider() = default;

//==============================================================================
void ZenvarMultiSlider::setBandActive (int band, bool active, bool sendNotification)
{
    jassert (juce::isPositiveAndBelow (band, numBands));

    if (!juce::isPositiveAndBelow (band, numBands) || bandActive[static_cast<size_t> (band)] == active)
        return;

    bandActive[static_cast<size_t> (band)] = active;
    setSegmentColour (band, getBaseColour (band));

    if (sendNotification)
        notifyBandActiveChanged (band);
}

bool ZenvarMultiSlider::isBandActive (int band) const noexcept
{
    if (!juce::isPositiveAndBelow (band, numBands))
        return false;

    return bandActive[static_cast<size_t> (band)];
}

void ZenvarMultiSlider::setBandColour (int band, juce::Colour newColour)
{
    jassert (juce::isPositiveAndBelow (band, numBands));

    if (!juce::isPositiveAndBelow (band, numBands))
        return;

    setSegmentColour (band, newColour);
    activeColours[static_cast<size_t> (band)] = newColour;
}

void ZenvarMultiSlider::setValueBar (ZenvarValueBar* newValueBar)
{
    valueBar = newValueBar;

    // Without this push a read-out would show 20 Hz until its thumb next moves.
    if (valueBar != nullptr)
        for (int i = 0; i < getNumThumbs(); ++i)
            valueBar->setValue (i, getValue (i));
}

void ZenvarMultiSlider::setLabelFont (const juce::Font& newFont)
{
    labelFont = newFont;
}

juce::Rectangle<int> ZenvarMultiSlider::getBandArea (int band) const noexcept
{
    if (!juce::isPositiveAndBelow (band, numBands))
        return {};

    const auto width = static_cast<float> (getWidth());
    const auto lowerEdge = band > 0 ? getValue (band - 1) : 0.0f;
    const auto upperEdge = band < numBands - 1 ? getValue (band) : 1.0f;

    const auto left = band > 0 ? static_cast<int> (lowerEdge * width) : 0;
    return { left, 0, static_cast<int> ((upperEdge - lowerEdge) * width), getHeight() };
}

//==============================================================================
void ZenvarMultiSlider::mouseDown (const juce::MouseEvent& event)
{
    const auto thumbBeforePress = getDraggedThumb();
    const juce::Component::BailOutChecker checker (this);

    MultiSlider::mouseDown (event);

    if (checker.shouldBailOut())
        return;

    // A press that grabs a thumb never presses a band.
    if (getDraggedThumb() != -1 && getDraggedThumb() != thumbBeforePress)
        return;

    const juce::Point<int> pressPosition { event.getMouseDownX(), event.getMouseDownY() };

    for (int band = 0; band < numBands; ++band)
    {
        if (getBandArea (band).contains (pressPosition))
        {
            pressedBand = band;
            setSegmentColour (band, getBaseColour (band).darker (pressDarkening));
            return;
        }
    }
}

void ZenvarMultiSlider::mouseUp (const juce::MouseEvent& event)
{
    const juce::Component::BailOutChecker checker (this);

    MultiSlider::mouseUp (event);

    if (checker.shouldBailOut() || pressedBand == -1)
        return;

    // The switch flips on release wherever the pointer is by then.
    const auto band = std::exchange (pressedBand, -1);
    setBandActive (band, !isBandActive (band), true);
}

void ZenvarMultiSlider::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();

    // Twice as tall as the strip, so the spectrum's centre line lies on the strip's bottom edge.
    freqView.setBounds (0, 0, width, 2 * height);

    juce::Path outline;
    outline.addRoundedRectangle (0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height), cornerSize);
    g.reduceClipRegion (outline);

    g.fillAll (juce::Colours::white);
    g.setGradientFill (backgroundGradient);
    g.setOpacity (0.2f);
    g.fillAll();
    g.setOpacity (1.0f);

    g.setColour (juce::Colours::black);
    freqView.paint (g);

    g.beginTransparencyLayer (0.5f);
    paintBandsAndLetters (g);
    g.endTransparencyLayer();

    paintThumbs (g);

    g.setColour (juce::Colours::white);
    g.drawRoundedRectangle (0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height), cornerSize, 1.0f);
}

void ZenvarMultiSlider::thumbMoved (int index, float newValue)
{
    if (valueBar != nullptr)
        valueBar->setValue (index, newValue);
}

//==============================================================================
juce::Colour ZenvarMultiSlider::getBaseColour (int band) const noexcept
{
    return bandActive[static_cast<size_t> (band)] ? activeColours[static_cast<size_t> (band)] : inactiveColour;
}

void ZenvarMultiSlider::notifyBandActiveChanged (int band)
{
    // Band listeners run first to last over the list as it stood before the first call. One that
    // was removed in the meantime is skipped: it may already be deleted.
    auto& liveListeners = getListenerList();
    const auto listenersBefore = liveListeners.getListeners();
    const juce::Component::BailOutChecker checker (this);

    for (int i = 0; i < liveListeners.size(); ++i)
    {
        auto* listener = listenersBefore[i];

        if (listener == nullptr || !liveListeners.contains (listener))
            continue;

        if (auto* bandListener = dynamic_cast<Listener*> (listener))
        {
            bandListener->bandActiveChanged (this, band);

            if (checker.shouldBailOut())
                return;
        }
    }
}

void ZenvarMultiSlider::paintBandsAndLetters (juce::Graphics& g)
{
    MultiSlider::paint (g);

    g.setFont (labelFont);
    g.setColour (juce::Colours::white);

    for (int band = 0; band < numBands; ++band)
    {
        const auto area = getBandArea (band);
        g.drawText (juce::String (bandLabels[static_cast<size_t> (band)]),
                    area.getX(),
                    0,
                    area.getWidth(),
                    letterAreaHeight,
                    juce::Justification::centred,
                    true);
    }
}

void ZenvarMultiSlider::paintThumbs (juce::Graphics& g)
{
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());
    const auto dotRadius = thumbDotDiameter * 0.5f;

    g.setColour (juce::Colours::white);

    for (int i = 0; i < getNumThumbs(); ++i)
    {
        const auto x = static_cast<float> (static_cast<int> (getValue (i) * width));

        // A one-pixel hairline leaning by one pixel over the strip's height.
        g.drawLine (x - 0.5f, 0.0f, x + 0.5f, height);
        g.fillEllipse (x - dotRadius, height * 0.5f - dotRadius, thumbDotDiameter, thumbDotDiameter);
    }
}
