#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

/** Where the editor's children sit for a window width and zoom factor, and how large the window
    is at a zoom factor. Only the read-out, the band strip and the zoom button on it grow with the
    zoom; the header row keeps its size, anchored to the top, the product icon to the left and the
    group selectors and logo to the right edge.

    At 1.0 the window is 400 × 120 and at 1.5 600 × 170; larger factors, which only a loaded state
    gives, follow the same rules, and there the read-out overlaps the top of the strip.
*/
struct EditorLayout
{
    static constexpr int numGroupSelectors = 8;

    /** The largest zoom factor the editor shows; the saved state keeps to it as well. */
    static constexpr float maximumZoomFactor = 4.0f;

    //==============================================================================
    /** The zoom factor the editor can show for a stored one: NaN, infinities and factors below 1
        count as 1, factors above `maximumZoomFactor` as that maximum. [any thread] */
    static float limitZoomFactor (float storedZoomFactor) noexcept;

    /** The window size at zoom factor z, limited as by `limitZoomFactor`: (int) (400 · z) wide,
        120 high at 1 and (int) roundf (120 · z - 10.5) high above 1. [any thread] */
    static juce::Point<int> getWindowSize (float zoomFactor) noexcept;

    /** The children's bounds for a window `windowWidth` pixels wide at a zoom factor, limited as
        by `limitZoomFactor`. [any thread] */
    static EditorLayout forWindow (int windowWidth, float zoomFactor) noexcept;

    //==============================================================================
    juce::Rectangle<int> productIcon;
    std::array<juce::Rectangle<int>, numGroupSelectors> groupSelectors;
    juce::Rectangle<int> logoButton;
    juce::Rectangle<int> valueBar;
    juce::Rectangle<int> bandStrip;
    juce::Rectangle<int> zoomButton;
};
