#include "controls/ZenvarButtonLookAndFeel.h"

namespace
{
const juce::Colour badgeOnColour { 0x88ffffff };
const juce::Colour badgeOffColour { 0x33ffffff };
constexpr float ringThickness = 0.5f;
} // namespace

ZenvarButtonLookAndFeel::ZenvarButtonLookAndFeel() = default;

ZenvarButtonLookAndFeel::~ZenvarButtonLookAndFeel() = default;

void ZenvarButtonLookAndFeel::setButtonFont (const juce::Font& newFont)
{
    buttonFont = newFont;
}

void ZenvarButtonLookAndFeel::drawToggleButton (juce::Graphics& g,
                                                juce::ToggleButton& button,
                                                bool /*shouldDrawButtonAsHighlighted*/,
                                                bool /*shouldDrawButtonAsDown*/)
{
    const auto isOn = button.getToggleState();
    const auto width = static_cast<float> (button.getWidth());
    const auto height = static_cast<float> (button.getHeight());

    g.setColour (isOn ? badgeOnColour : badgeOffColour);
    g.fillEllipse (0.0f, 0.0f, width, height);

    g.setColour (juce::Colours::white);

    // The ring sits just inside the disc's edge.
    if (isOn)
        g.drawEllipse (ringThickness * 0.5f, ringThickness * 0.5f, width - ringThickness, height - ringThickness, ringThickness);

    g.setFont (buttonFont);
    g.drawText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, true);
}
