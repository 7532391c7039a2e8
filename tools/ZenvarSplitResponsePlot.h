#pragma once

#include "tools/ZenvarSplitOutputFile.h"
#include "tools/ZenvarSplitResponseMeasurement.h"

#include <juce_graphics/juce_graphics.h>

/** Draws measured band responses: the four bands in the editor's band colours (A to D) with their
    sum, on a logarithmic frequency axis from 20 Hz to 20 kHz, with the crossovers marked.
    [main thread] */
class ZenvarSplitResponsePlot
{
public:
    /** Width and height of the picture in logical pixels; it is rendered at twice that. */
    static constexpr int logicalWidth = 900;
    static constexpr int logicalHeight = 500;

    /** The band colours of the editor, A to D. */
    static const std::array<juce::Colour, 4> bandColours;

    /** Renders the picture at `scale` times its logical size. */
    static juce::Image render (const ZenvarSplitBandResponses& responses, float scale = 2.0f);

    /** Renders the picture and writes it as a PNG into `output`'s temporary file; the caller
        commits it. Throws ZenvarSplitFailure when it cannot be written. */
    static void writePng (const ZenvarSplitBandResponses& responses, ZenvarSplitOutputFile& output);

    /** The frequency axis: 20 Hz to 20 kHz, logarithmic, across `width` pixels. */
    static float frequencyToX (double hz, float left, float width) noexcept;

    /** Lowest and highest level shown, in dB. */
    static constexpr double bottomDecibels = -60.0;
    static constexpr double topDecibels = 6.0;
};
