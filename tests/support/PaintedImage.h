#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <functional>

namespace zenvar::test
{

/** Paints a component (and its children) into a transparent software image of its size, the way
    it would appear on screen at scale 1. */
inline juce::Image paintToImage (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    component.paintEntireComponent (g, true);
    return image;
}

/** Runs `painter` on a transparent software image of the given size and returns the image. */
inline juce::Image paintWith (int width, int height, const std::function<void (juce::Graphics&)>& painter)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, width), juce::jmax (1, height), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    painter (g);
    return image;
}

/** True when every channel of `actual` is within `tolerance` of `expected` (0..255 steps). */
inline bool coloursClose (juce::Colour actual, juce::Colour expected, int tolerance)
{
    const auto close = [tolerance] (juce::uint8 a, juce::uint8 b)
    { return std::abs ((int) a - (int) b) <= tolerance; };
    return close (actual.getAlpha(), expected.getAlpha()) && close (actual.getRed(), expected.getRed())
           && close (actual.getGreen(), expected.getGreen()) && close (actual.getBlue(), expected.getBlue());
}

/** Bounds of the pixels whose alpha exceeds `alphaThreshold` inside `area`; empty if none. */
inline juce::Rectangle<int> getInkBounds (const juce::Image& image, juce::Rectangle<int> area, int alphaThreshold = 0)
{
    juce::Rectangle<int> ink;
    bool found = false;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > alphaThreshold)
            {
                const juce::Rectangle<int> pixel (x, y, 1, 1);
                ink = found ? ink.getUnion (pixel) : pixel;
                found = true;
            }

    return ink;
}

} // namespace zenvar::test
