#pragma once

#include "tools/ZenvarSplitCommandLine.h"
#include "tools/ZenvarSplitResponseMeasurement.h"

#include <memory>

class ZenvarSplitInputFile;
class ZenvarSplitOutputFile;

/** One run of zenvar-split: splits a file into its band files, draws the response plot or writes
    the demonstration signal, as the options ask, and prints what it did on stdout. Failures are
    thrown as ZenvarSplitFailure before any output appears under its name. [main thread] */
class ZenvarSplitJob
{
public:
    explicit ZenvarSplitJob (const ZenvarSplitOptions& optionsToRun);

    /** Does the work; returns the exit status (0, or ZenvarSplitFailure::checkFailed when the
        band sum fails --check). */
    int run();

private:
    int split();
    void plotOnly();
    void makeDemo();

    void checkCrossoversFit (double sampleRate) const;
    std::unique_ptr<ZenvarSplitOutputFile> drawResponsesIfAsked (double sampleRate) const;
    juce::File resolveOutputDirectory (const juce::File& input) const;
    void checkNothingOverwritesInput (const ZenvarSplitInputFile& input, const std::array<juce::File, 4>& targets) const;

    ZenvarSplitOptions options;
};
