#include "editor/EditorLayout.h"

#include <cmath>

namespace
{
constexpr int baseWidth = 400;
constexpr int baseHeight = 120;

/** Above zoom 1 the window loses this much height against a plain scaling of 120. */
constexpr float zoomedHeightReduction = 10.5f;

constexpr int selectorSize = 16;
constexpr int selectorSpacing = 21;
constexpr int firstSelectorFromRight = 214;
constexpr int zoomButtonSize = 15;
constexpr int zoomButtonInsetFromStripEdges = 18;

int scaled (float pixelsAtZoomOne, float zoomFactor) noexcept
{
    return static_cast<int> (pixelsAtZoomOne * zoomFactor);
}
} // namespace

float EditorLayout::limitZoomFactor (float storedZoomFactor) noexcept
{
    if (! std::isfinite (storedZoomFactor) || storedZoomFactor < 1.0f)
        return 1.0f;

    return juce::jmin (storedZoomFactor, maximumZoomFactor);
}

juce::Point<int> EditorLayout::getWindowSize (float zoomFactor) noexcept
{
    zoomFactor = limitZoomFactor (zoomFactor);
    const auto width = scaled ((float) baseWidth, zoomFactor);

    if (zoomFactor <= 1.0f)
        return { width, baseHeight };

    // std::round rounds halves away from zero, and the float overload keeps single precision.
    return { width, static_cast<int> (std::round ((float) baseHeight * zoomFactor - zoomedHeightReduction)) };
}

EditorLayout EditorLayout::forWindow (int windowWidth, float zoomFactor) noexcept
{
    zoomFactor = limitZoomFactor (zoomFactor);
    const auto isZoomedIn = zoomFactor > 1.0f;
    EditorLayout layout;

    layout.productIcon = { 4, 8, 79, 17 };

    for (int i = 0; i < numGroupSelectors; ++i)
        layout.groupSelectors[(size_t) i] = { windowWidth - firstSelectorFromRight + selectorSpacing * i, 9, selectorSize, selectorSize };

    layout.logoButton = { windowWidth - 46, 13, 39, 8 };

    const auto left = scaled (5.0f, zoomFactor);
    const auto width = scaled (390.0f, zoomFactor);
    layout.valueBar = { left, isZoomedIn ? 30 : 27, width, scaled (16.0f, zoomFactor) };
    layout.bandStrip = { left, isZoomedIn ? 54 : 43, width, scaled (72.0f, zoomFactor) };

    layout.zoomButton = { layout.bandStrip.getRight() - zoomButtonInsetFromStripEdges,
                          layout.bandStrip.getBottom() - zoomButtonInsetFromStripEdges,
                          zoomButtonSize,
                          zoomButtonSize };
    return layout;
}
