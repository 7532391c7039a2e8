#include "controls/ZenvarButtonLookAndFeel.h"
#include "support/PaintedImage.h"

#include <gtest/gtest.h>

namespace
{
using zenvar::test::coloursClose;
using zenvar::test::getInkBounds;
using zenvar::test::paintToImage;

/** A 16 x 16 link-group badge as the editor makes it. */
struct BadgeFixture : public testing::Test
{
    BadgeFixture()
    {
        badge.setSize (16, 16);
        badge.setLookAndFeel (&lookAndFeel);
    }

    ~BadgeFixture() override { badge.setLookAndFeel (nullptr); }

    ZenvarButtonLookAndFeel lookAndFeel;
    juce::ToggleButton badge;
};

int alphaAt (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha();
}

bool imagesEqual (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}
} // namespace

TEST_F (BadgeFixture, AnOffBadgeIsAFaintWhiteDisc)
{
    const auto image = paintToImage (badge);

    // Reading back a translucent pixel loses a little of its colour to premultiplication.
    EXPECT_TRUE (coloursClose (image.getPixelAt (8, 8), juce::Colour (0x33ffffff), 3));
    EXPECT_TRUE (coloursClose (image.getPixelAt (3, 8), juce::Colour (0x33ffffff), 3));
    EXPECT_EQ (alphaAt (image, 0, 0), 0);
    EXPECT_EQ (alphaAt (image, 15, 15), 0);

    // No ring: the edge is no brighter than the inside.
    EXPECT_LE (alphaAt (image, 8, 0), 0x33);
}

TEST_F (BadgeFixture, AnOnBadgeIsABrighterDiscWithAThinRingInsideItsEdge)
{
    badge.setToggleState (true, juce::dontSendNotification);
    const auto image = paintToImage (badge);

    EXPECT_TRUE (coloursClose (image.getPixelAt (8, 8), juce::Colour (0x88ffffff), 3));
    EXPECT_EQ (alphaAt (image, 0, 0), 0);

    for (const auto& [x, y] : { std::pair { 8, 0 }, std::pair { 0, 8 }, std::pair { 15, 7 }, std::pair { 7, 15 } })
        EXPECT_GT (alphaAt (image, x, y), 0x88) << x << ", " << y;
}

TEST_F (BadgeFixture, HoverAndPressChangeNothing)
{
    badge.setButtonText ("3");
    const auto normal = paintToImage (badge);

    for (const auto state : { juce::Button::buttonOver, juce::Button::buttonDown })
    {
        badge.setState (state);
        EXPECT_TRUE (imagesEqual (paintToImage (badge), normal)) << state;
    }
}

TEST_F (BadgeFixture, DrawsItsTextInWhiteCentredInTheFontGiven)
{
    badge.setButtonText ("8");
    const auto image = paintToImage (badge);
    const auto ink = getInkBounds (image, badge.getLocalBounds(), 0xe0);

    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.getCentreX(), 8, 1);
    EXPECT_NEAR (ink.getCentreY(), 8, 1);
    EXPECT_EQ (image.getPixelAt (ink.getCentreX(), ink.getY()).withAlpha (1.0f), juce::Colours::white);

    lookAndFeel.setButtonFont (juce::Font (7.0f));
    const auto smallInk = getInkBounds (paintToImage (badge), badge.getLocalBounds(), 0xe0);
    EXPECT_LT (smallInk.getHeight(), ink.getHeight());
}
