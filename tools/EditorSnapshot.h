#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** What the editor snapshot shows: the whole window of a real processor, after a second of
    generated music has gone through its processBlock and its timer has fed the spectrum view. */
struct EditorSnapshotOptions
{
    /** The zoom factor the processor holds when the editor opens (1 or 1.5 through the button). */
    float zoomFactor = 1.0f;

    /** Pixels per logical pixel of the picture, e.g. 2 for a high-density display. The editor still
        picks its pictures by the primary display (1x when there is none), as it does in a host. */
    float pixelDensity = 1.0f;

    /** The three crossover frequencies in Hz; the defaults are the parameters' defaults. */
    std::array<float, 3> crossoversHz { 160.0f, 1000.0f, 5000.0f };

    /** Which of bands A to D are switched on. */
    std::array<bool, 4> bandsOn { true, true, true, true };

    /** The link group whose selector is lit (0..7). */
    int linkGroup = 0;

    /** Seed of the generated music's noise, so that a snapshot can be repeated exactly. */
    int seed = 7;
};

/** Opens the editor of a new processor set up as `options` says, plays the music through the
    processor tick by tick as a host and the editor's timer would, and renders the window into a
    new image of its size times the pixel density. [message thread] */
juce::Image renderEditorSnapshot (const EditorSnapshotOptions& options);
