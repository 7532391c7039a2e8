#include "controls/MSToggleImageButton.h"

MSToggleImageButton::MSToggleImageButton()
{
    setClickingTogglesState (true);
    setWantsKeyboardFocus (false);
}

MSToggleImageButton::~MSToggleImageButton() = default;

void MSToggleImageButton::setImages (const juce::Image& newOffImage, const juce::Image& newOnImage)
{
    offImage = newOffImage;
    onImage = newOnImage;
    repaint();
}

void MSToggleImageButton::paint (juce::Graphics& g)
{
    const auto& image = getToggleState() ? onImage : offImage;

    if (image.isNull())
        return;

    // drawImage skips the work when the button's area lies outside the clip.
    g.drawImage (image, 0, 0, getWidth(), getHeight(), 0, 0, image.getWidth(), image.getHeight());
}
