#include "controls/MSToggleImageButton.h"
#include "support/PaintedImage.h"

#include <gtest/gtest.h>

namespace
{
using zenvar::test::coloursClose;
using zenvar::test::getInkBounds;
using zenvar::test::paintToImage;

/** An image split into a left and a right colour. */
juce::Image makeSplitImage (int width, int height, juce::Colour left, juce::Colour right)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.setColour (left);
    g.fillRect (0, 0, width / 2, height);
    g.setColour (right);
    g.fillRect (width / 2, 0, width - width / 2, height);
    return image;
}

/** A 15 x 15 zoom button as the editor makes it. */
struct ZoomButtonFixture : public testing::Test
{
    ZoomButtonFixture() { button.setSize (15, 15); }

    MSToggleImageButton button;
};
} // namespace

TEST_F (ZoomButtonFixture, WithoutImagesDrawsNothingInEitherState)
{
    for (const auto on : { false, true })
    {
        button.setToggleState (on, juce::dontSendNotification);
        EXPECT_TRUE (getInkBounds (paintToImage (button), button.getLocalBounds()).isEmpty()) << on;
    }
}

TEST_F (ZoomButtonFixture, StretchesTheImageOfTheCurrentStateOverTheButton)
{
    struct Case
    {
        const char* what;
        int imageWidth;
        int imageHeight;
    };

    const Case cases[] = { { "44 x 44", 44, 44 }, { "wide", 40, 10 }, { "tall", 6, 30 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        button.setImages (makeSplitImage (c.imageWidth, c.imageHeight, juce::Colours::red, juce::Colours::blue), {});
        const auto image = paintToImage (button);

        // Resampling softens the outermost pixels a little.
        EXPECT_TRUE (coloursClose (image.getPixelAt (0, 0), juce::Colours::red, 3));
        EXPECT_TRUE (coloursClose (image.getPixelAt (5, 14), juce::Colours::red, 3));
        EXPECT_TRUE (coloursClose (image.getPixelAt (9, 0), juce::Colours::blue, 3));
        EXPECT_TRUE (coloursClose (image.getPixelAt (14, 14), juce::Colours::blue, 3));
    }
}

TEST_F (ZoomButtonFixture, TogglingSwapsThePicture)
{
    const auto zoomIn = makeSplitImage (44, 44, juce::Colours::green, juce::Colours::green);
    const auto zoomOut = makeSplitImage (44, 44, juce::Colours::yellow, juce::Colours::yellow);
    button.setImages (zoomIn, zoomOut);

    EXPECT_EQ (paintToImage (button).getPixelAt (7, 7), juce::Colours::green);

    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (paintToImage (button).getPixelAt (7, 7), juce::Colours::yellow);

    // A null picture for a state leaves that state blank.
    button.setImages (zoomIn, {});
    EXPECT_TRUE (getInkBounds (paintToImage (button), button.getLocalBounds()).isEmpty());
}

TEST_F (ZoomButtonFixture, TogglesOnClickAndNeverTakesTheKeyboardFocus)
{
    EXPECT_TRUE (button.getClickingTogglesState());
    EXPECT_FALSE (button.getWantsKeyboardFocus());
}
