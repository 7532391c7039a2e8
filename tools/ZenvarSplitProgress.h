#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>

/** A one-line progress bar on stderr while a long file is split. It draws only when stderr is a
    terminal and the work has already taken a moment, so short runs and pipes stay quiet, and it
    erases itself when done. [main thread] */
class ZenvarSplitProgress
{
public:
    /** Follows work of `totalSamples` at `sampleRate`; `stream` is where the bar would go. */
    ZenvarSplitProgress (juce::int64 totalSamples, double sampleRate, std::FILE* stream = stderr);
    ~ZenvarSplitProgress();

    /** Reports that `samplesDone` of the total are done; redraws at most ten times a second. */
    void update (juce::int64 samplesDone);

    /** Erases the bar, if one was drawn. */
    void finish();

    /** The bar for a fraction 0..1 of the work, e.g. "[#####-----]  50%  4.0 s of 8.0 s". */
    static juce::String renderBar (double fraction, double secondsDone, double secondsTotal, int width);

private:
    juce::int64 totalSamples;
    double sampleRate;
    std::FILE* stream;
    bool isTerminal;
    bool drawn = false;
    double startMs, lastDrawMs = 0.0;
};
