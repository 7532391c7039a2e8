#include "controls/ZenvarValueBar.h"
#include "processor/CrossoverParameters.h"
#include "support/PaintedImage.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
using zenvar::test::getInkBounds;
using zenvar::test::paintToImage;

/** The read-out as the editor sets it up at scale 1: 390 x 16 pixels, boxes 30 pixels wide,
    a 10.5-point font. */
struct EditorSizedBar : public ZenvarValueBar
{
    EditorSizedBar()
    {
        setSize (390, 16);
        setBoxWidth (30.0f);
        setFont (juce::Font().withPointHeight (10.5f));
    }

    void setValues (float first, float second, float third)
    {
        setValue (0, first);
        setValue (1, second);
        setValue (2, third);
    }
};
/** The columns covered by the text of read-out `index` and by no other read-out's text. */
juce::Range<int> getColumnsOnlyCoveredBy (const ZenvarValueBar& bar, int index)
{
    const auto textSpan = [&bar] (int k)
    {
        const auto& font = bar.getPlacement (k).collides ? bar.getSmallFont() : bar.getFont();
        const auto width = font.getStringWidthFloat (formatFrequency (20.0f, 20000.0f, bar.getValue (k)));
        const auto centre = bar.getPlacement (k).box.toFloat().getCentreX();
        return juce::Range<int> (juce::roundToInt (centre - width * 0.5f), juce::roundToInt (centre + width * 0.5f));
    };

    auto columns = textSpan (index);

    for (int other = 0; other < 3; ++other)
    {
        if (other == index)
            continue;

        const auto otherSpan = textSpan (other);

        if (otherSpan.getStart() <= columns.getStart())
            columns.setStart (juce::jmax (columns.getStart(), otherSpan.getEnd() + 1));
        else
            columns.setEnd (juce::jmin (columns.getEnd(), otherSpan.getStart() - 1));
    }

    return columns;
}

/** The alpha-weighted mean row of the ink in the given columns. */
float getInkCentreY (const juce::Image& image, juce::Range<int> columns)
{
    float weightedRows = 0.0f;
    float totalAlpha = 0.0f;

    for (int x = columns.getStart(); x < columns.getEnd(); ++x)
        for (int y = 0; y < image.getHeight(); ++y)
        {
            const auto alpha = image.getPixelAt (x, y).getFloatAlpha();
            weightedRows += alpha * (static_cast<float> (y) + 0.5f);
            totalAlpha += alpha;
        }

    return totalAlpha > 0.0f ? weightedRows / totalAlpha : -1.0f;
}
} // namespace

TEST (FormatFrequency, ReadsCrossoverValuesAsShortTexts)
{
    struct Case
    {
        float normalisedValue;
        const char* expectedText;
    };

    const Case cases[] = {
        { 0.0f, "20" },
        { 1.0f / 26.0f, "50" },
        { zenvar::frequencyToNormalised (160.0f, 0), "160" },
        { 0.25f, "1.3K" },
        { 0.5f, "5K" },
        { 0.75f, "11.3K" },
        { 25.0f / 26.0f, "18.5K" },
        { 1.0f, "20K" },
        { zenvar::frequencyToNormalised (1000.0f, 1), "1K" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.normalisedValue);
        EXPECT_EQ (formatFrequency (20.0f, 20000.0f, c.normalisedValue), juce::String (c.expectedText));
    }
}

TEST (FormatFrequency, RoundsToKilohertzOnlyFrom1000Hz)
{
    struct Case
    {
        float hz;
        const char* expectedText;
    };

    const Case cases[] = {
        { 1000.0f, "1K" },
        { 1050.0f, "1K" },
        { 1100.0f, "1.1K" },
        { 1540.0f, "1.5K" },
        { 1960.0f, "2K" },
        { 999.4f, "999" },
        { 999.6f, "1000" },
        { 20.5f, "21" },
    };

    // With the value at 0 the computed frequency is exactly the lower end of the range.
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.hz);
        EXPECT_EQ (formatFrequency (c.hz, 20000.0f, 0.0f), juce::String (c.expectedText));
    }
}

TEST (FormatFrequency, ValuesOutsideTheRangeReadAsItsNearestEnd)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto infinity = std::numeric_limits<float>::infinity();

    EXPECT_EQ (formatFrequency (20.0f, 20000.0f, nan), "20");
    EXPECT_EQ (formatFrequency (20.0f, 20000.0f, -0.5f), "20");
    EXPECT_EQ (formatFrequency (20.0f, 20000.0f, 3.0f), "20K");
    EXPECT_EQ (formatFrequency (20.0f, 20000.0f, infinity), "20K");
}

TEST (ZenvarValueBar, CentresEachReadOutOverItsThumbAtFullHeight)
{
    EditorSizedBar bar;
    bar.setValues (zenvar::frequencyToNormalised (160.0f, 0),
                   zenvar::frequencyToNormalised (1000.0f, 1),
                   zenvar::frequencyToNormalised (5000.0f, 2));

    const int expectedLeft[] = { 17, 71, 179 };
    const auto image = paintToImage (bar);

    for (int k = 0; k < 3; ++k)
    {
        SCOPED_TRACE (k);
        const auto placement = bar.getPlacement (k);
        EXPECT_FALSE (placement.collides);
        EXPECT_EQ (placement.box, juce::Rectangle<int> (expectedLeft[k], 0, 30, 16));

        // The text's ink is centred in the box.
        const auto ink = getInkBounds (image, placement.box.expanded (6, 0), 40);
        ASSERT_FALSE (ink.isEmpty());
        EXPECT_NEAR (ink.getCentreX(), placement.box.getCentreX(), 2);
        EXPECT_GE (ink.getX(), placement.box.getX());
        EXPECT_LE (ink.getRight(), placement.box.getRight());
    }
}

TEST (ZenvarValueBar, StaggersReadOutsThatWouldTouchInTheSmallFont)
{
    EditorSizedBar bar;
    bar.setValues (0.3f, 0.3385f, 0.377f);

    const juce::Rectangle<int> expectedBoxes[] = { { 102, 0, 30, 8 }, { 117, 8, 30, 8 }, { 132, 0, 30, 8 } };

    for (int k = 0; k < 3; ++k)
    {
        SCOPED_TRACE (k);
        EXPECT_TRUE (bar.getPlacement (k).collides);
        EXPECT_EQ (bar.getPlacement (k).box, expectedBoxes[k]);
    }

    // The texts overlap horizontally, so look at the columns only one text covers: there the
    // outer read-outs' ink sits in the upper half and the middle one's in the lower half.
    const auto image = paintToImage (bar);

    for (int k = 0; k < 3; ++k)
    {
        SCOPED_TRACE (k);
        const auto columns = getColumnsOnlyCoveredBy (bar, k);
        ASSERT_GT (columns.getLength(), 2);
        const auto inkCentre = getInkCentreY (image, columns);
        EXPECT_EQ (inkCentre > 8.0f, k == 1) << inkCentre;
    }
}

TEST (ZenvarValueBar, CollidesAt30PixelsOfThumbSpacingAndStaysFullFrom32)
{
    struct Case
    {
        float spacingInPixels;
        bool expectCollision;
    };

    const Case cases[] = { { 10.0f, true }, { 30.0f, true }, { 32.0f, false }, { 45.0f, false } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.spacingInPixels);

        // A 256-pixel bar keeps the thumb centres exact.
        ZenvarValueBar bar;
        bar.setSize (256, 16);
        bar.setBoxWidth (30.0f);
        const auto firstCentre = 64.0f;

        for (int k = 0; k < 3; ++k)
            bar.setValue (k, (firstCentre + static_cast<float> (k) * c.spacingInPixels) / 256.0f);

        for (int k = 0; k < 3; ++k)
            EXPECT_EQ (bar.getPlacement (k).collides, c.expectCollision) << "read-out " << k;
    }
}

TEST (ZenvarValueBar, At31PixelsTheTruncatedLeftEdgeDecidesOneSideOnly)
{
    // On a 256-pixel bar the centres 100.5 and 131.5 are exact. Read-out 0 compares its truncated
    // edge 85 with the neighbour's unrounded 116.5 (gap 1.5: clear); read-out 1 compares its
    // truncated 116 with the unrounded 85.5 (gap 0.5: collides).
    ZenvarValueBar bar;
    bar.setSize (256, 16);
    bar.setBoxWidth (30.0f);
    bar.setValue (0, 100.5f / 256.0f);
    bar.setValue (1, 131.5f / 256.0f);
    bar.setValue (2, 250.0f / 256.0f);

    EXPECT_FALSE (bar.getPlacement (0).collides);
    EXPECT_TRUE (bar.getPlacement (1).collides);
    EXPECT_FALSE (bar.getPlacement (2).collides);
}

TEST (ZenvarValueBar, TheSmallFontIs78PercentOfTheFontInPoints)
{
    ZenvarValueBar bar;
    const auto font = juce::Font (juce::Font::getDefaultSerifFontName(), 12.0f, juce::Font::bold).withPointHeight (10.5f);
    bar.setFont (font);

    EXPECT_NEAR (bar.getSmallFont().getHeightInPoints(), 8.19f, 1.0e-4f);
    EXPECT_EQ (bar.getSmallFont().getTypefaceName(), font.getTypefaceName());
    EXPECT_TRUE (bar.getSmallFont().isBold());
    EXPECT_EQ (bar.getFont(), font);
}

TEST (ZenvarValueBar, BadValuesIndicesAndSizesDrawSafely)
{
    EditorSizedBar bar;
    bar.setValue (0, std::numeric_limits<float>::quiet_NaN());
    bar.setValue (1, 1.0e30f);
    bar.setValue (-1, 0.5f);
    bar.setValue (3, 0.5f);

    EXPECT_EQ (bar.getValue (0), 0.0f);
    EXPECT_EQ (bar.getValue (1), 1.0f);
    EXPECT_EQ (bar.getValue (3), 0.0f);

    bar.setBoxWidth (std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE (bar.getPlacement (0).box.isEmpty());
    paintToImage (bar);

    bar.setBoxWidth (-30.0f);
    bar.setSize (0, 0);
    paintToImage (bar);
    EXPECT_TRUE (bar.getPlacement (1).box.isEmpty());
}
