#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** What the controls snapshot shows: the read-out and the band strip as the editor lays them out,
    over a dark backdrop like the window's, with a made-up spectrum behind the bands. */
struct ControlsSnapshotOptions
{
    /** The editor's zoom factor (1 or 1.5 through the zoom button); sizes and fonts follow it. */
    float zoomFactor = 1.0f;

    /** Pixels per logical pixel of the picture, e.g. 2 for a high-density display. */
    float pixelDensity = 1.0f;

    /** The three crossover frequencies in Hz; the defaults are the parameters' defaults. */
    std::array<float, 3> crossoversHz { 160.0f, 1000.0f, 5000.0f };

    /** Which of bands A to D are switched on. */
    std::array<bool, 4> bandsOn { true, true, true, true };

    /** Seed of the made-up spectrum, so that a snapshot can be repeated exactly. */
    int spectrumSeed = 7;
};

/** Renders the controls into a new image of their logical size times the pixel density.
    [message thread] */
juce::Image renderControlsSnapshot (const ControlsSnapshotOptions& options);
