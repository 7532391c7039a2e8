#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** What one run of zenvar-split is asked to do, as read from its command line. */
struct ZenvarSplitOptions
{
    enum class Task
    {
        split,    // split an input file, optionally also drawing the response plot
        plotOnly, // only measure and draw the response plot
        makeDemo, // only write the demonstration signal
        showHelp
    };

    Task task = Task::showHelp;

    juce::String inputPath;
    juce::String outputDirectory; // empty: the band files go beside the input
    juce::String pluginPath;      // the VST3 bundle to load
    juce::String plotPath;        // empty: no plot
    juce::String demoPath;

    std::array<double, 3> crossoversHz { 160.0, 1000.0, 5000.0 };
    bool check = false;
    bool report = false;
    int blockSize = 1024;
};

/** Reads and validates zenvar-split's arguments. Everything that can be judged without opening a
    file is checked here, so a bad command line fails before any work starts. [main thread] */
class ZenvarSplitCommandLine
{
public:
    /** The outcome of parsing: options when `errorMessage` is empty, otherwise a message that
        names the offending argument. */
    struct Parsed
    {
        ZenvarSplitOptions options;
        juce::String errorMessage;

        bool succeeded() const noexcept { return errorMessage.isEmpty(); }
    };

    /** Parses the arguments after the program name. `defaultPluginPath` is used when no
        --plugin is given. */
    static Parsed parse (const juce::StringArray& arguments, const juce::String& defaultPluginPath);

    /** The --help text. */
    static juce::String getHelpText();

    /** Lowest and highest crossover frequency the plug-in offers, in Hz. */
    static constexpr double minimumCrossoverHz = 20.0;
    static constexpr double maximumCrossoverHz = 20000.0;

    /** Parses "a,b,c" into three ascending crossover frequencies within 20..20000 Hz; returns an
        error message, or an empty string on success. */
    static juce::String parseCrossovers (const juce::String& text, std::array<double, 3>& crossoversHz);
};
