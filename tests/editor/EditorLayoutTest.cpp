#include "editor/EditorLayout.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
using Rect = juce::Rectangle<int>;

struct LayoutCase
{
    float zoomFactor;
    juce::Point<int> windowSize;
    Rect valueBar;
    Rect bandStrip;
    Rect zoomButton;
    int firstSelectorX;
    int logoX;
};

// The window sizes and positions the editor must show at each factor: 1.0 and 1.5 through the
// zoom button, 1.2 and 2.0 only from a loaded state.
const LayoutCase layoutCases[] = {
    { 1.0f, { 400, 120 }, { 5, 27, 390, 16 }, { 5, 43, 390, 72 }, { 377, 97, 15, 15 }, 186, 354 },
    { 1.5f, { 600, 170 }, { 7, 30, 585, 24 }, { 7, 54, 585, 108 }, { 574, 144, 15, 15 }, 386, 554 },
    { 1.2f, { 480, 134 }, { 6, 30, 468, 19 }, { 6, 54, 468, 86 }, { 456, 122, 15, 15 }, 266, 434 },
    { 2.0f, { 800, 230 }, { 10, 30, 780, 32 }, { 10, 54, 780, 144 }, { 772, 180, 15, 15 }, 586, 754 },
};
} // namespace

TEST (EditorLayout, PlacesEveryChildAtEachZoomFactor)
{
    for (const auto& expected : layoutCases)
    {
        SCOPED_TRACE (juce::String ("zoom ") + juce::String (expected.zoomFactor));

        const auto size = EditorLayout::getWindowSize (expected.zoomFactor);
        EXPECT_EQ (size, expected.windowSize);

        const auto layout = EditorLayout::forWindow (size.x, expected.zoomFactor);
        EXPECT_EQ (layout.valueBar, expected.valueBar);
        EXPECT_EQ (layout.bandStrip, expected.bandStrip);
        EXPECT_EQ (layout.zoomButton, expected.zoomButton);
        EXPECT_EQ (layout.logoButton, Rect (expected.logoX, 13, 39, 8));

        // The header keeps its size at every factor, anchored to the top and the two sides.
        EXPECT_EQ (layout.productIcon, Rect (4, 8, 79, 17));

        for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
            EXPECT_EQ (layout.groupSelectors[(size_t) i], Rect (expected.firstSelectorX + 21 * i, 9, 16, 16)) << "selector " << i;
    }
}

TEST (EditorLayout, ReadOutMeetsTheStripAtOneAndAHalfAndOverlapsItOnlyAbove)
{
    const auto atOneAndAHalf = EditorLayout::forWindow (600, 1.5f);
    EXPECT_EQ (atOneAndAHalf.valueBar.getBottom(), atOneAndAHalf.bandStrip.getY());

    const auto atTwo = EditorLayout::forWindow (800, 2.0f);
    EXPECT_GT (atTwo.valueBar.getBottom(), atTwo.bandStrip.getY());
}

TEST (EditorLayout, ChildrenStayInsideTheWindowAndApartExceptTheZoomButtonOnTheStrip)
{
    // The two factors the zoom button gives. (Between 1 and about 1.34, which only a loaded state
    // can give, the window is shorter than the strip's bottom.)
    for (const auto zoomFactor : { 1.0f, 1.5f })
    {
        SCOPED_TRACE (juce::String ("zoom ") + juce::String (zoomFactor));

        const auto size = EditorLayout::getWindowSize (zoomFactor);
        const auto layout = EditorLayout::forWindow (size.x, zoomFactor);
        const Rect window (0, 0, size.x, size.y);

        std::vector<Rect> apart { layout.productIcon, layout.logoButton, layout.valueBar, layout.bandStrip };
        apart.insert (apart.end(), layout.groupSelectors.begin(), layout.groupSelectors.end());

        for (size_t i = 0; i < apart.size(); ++i)
        {
            EXPECT_TRUE (window.contains (apart[i])) << apart[i].toString();

            for (size_t j = i + 1; j < apart.size(); ++j)
                EXPECT_FALSE (apart[i].intersects (apart[j])) << apart[i].toString() << " and " << apart[j].toString();
        }

        EXPECT_TRUE (layout.bandStrip.contains (layout.zoomButton));
    }
}

TEST (EditorLayout, UnusableZoomFactorsCountAsTheNearestUsableOne)
{
    const struct
    {
        float stored;
        float shown;
    } cases[] = {
        { 1.0f, 1.0f },
        { 1.5f, 1.5f },
        { 0.5f, 1.0f },
        { 0.0f, 1.0f },
        { -2.0f, 1.0f },
        { 4.0f, 4.0f },
        { 40.0f, 4.0f },
        { std::numeric_limits<float>::quiet_NaN(), 1.0f },
        { std::numeric_limits<float>::infinity(), 1.0f },
        { -std::numeric_limits<float>::infinity(), 1.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stored);
        EXPECT_EQ (EditorLayout::limitZoomFactor (c.stored), c.shown);
        EXPECT_EQ (EditorLayout::getWindowSize (c.stored), EditorLayout::getWindowSize (c.shown));
        EXPECT_EQ (EditorLayout::forWindow (400, c.stored).bandStrip, EditorLayout::forWindow (400, c.shown).bandStrip);
    }
}
