// zenvar-split's command line: what it accepts and what it turns away before any work starts.

#include "tools/ZenvarSplitCommandLine.h"

#include <gtest/gtest.h>

namespace
{
using Task = ZenvarSplitOptions::Task;

const juce::String defaultBundle = "/build/Zenvar.vst3";

ZenvarSplitCommandLine::Parsed parse (std::initializer_list<const char*> arguments)
{
    juce::StringArray list;

    for (auto* argument : arguments)
        list.add (argument);

    return ZenvarSplitCommandLine::parse (list, defaultBundle);
}

juce::String describe (std::initializer_list<const char*> arguments)
{
    juce::StringArray list;

    for (auto* argument : arguments)
        list.add (argument);

    return "zenvar-split " + list.joinIntoString (" ");
}
} // namespace

TEST (ZenvarSplitCommandLine, AcceptedCommandLinesGiveTheirOptions)
{
    struct Case
    {
        std::initializer_list<const char*> arguments;
        Task task;
        const char* input;
        std::array<double, 3> crossovers;
        bool check, report;
        const char* outputDirectory;
        const char* plugin;
        int blockSize;
    };

    // clang-format off
    const Case cases[] = {
        { { "mix.wav" }, Task::split, "mix.wav", { 160.0, 1000.0, 5000.0 }, false, false, "", "/build/Zenvar.vst3", 1024 },
        { { "--crossovers", "20,1000,20000", "mix.wav" }, Task::split, "mix.wav", { 20.0, 1000.0, 20000.0 }, false, false, "", "/build/Zenvar.vst3", 1024 },
        { { "--crossovers=250.5, 2000 ,8000", "mix.aiff", "--check", "--report", "--out", "bands" },
          Task::split, "mix.aiff", { 250.5, 2000.0, 8000.0 }, true, true, "bands", "/build/Zenvar.vst3", 1024 },
        { { "mix.flac", "--plugin=/elsewhere/Zenvar.vst3", "--block-size", "333" },
          Task::split, "mix.flac", { 160.0, 1000.0, 5000.0 }, false, false, "", "/elsewhere/Zenvar.vst3", 333 },
        { { "--plot", "response.png" }, Task::plotOnly, "", { 160.0, 1000.0, 5000.0 }, false, false, "", "/build/Zenvar.vst3", 1024 },
        { { "--make-demo", "demo.wav" }, Task::makeDemo, "", { 160.0, 1000.0, 5000.0 }, false, false, "", "/build/Zenvar.vst3", 1024 },
        { { "mix.wav", "--help", "--bogus" }, Task::showHelp, "mix.wav", { 160.0, 1000.0, 5000.0 }, false, false, "", "/build/Zenvar.vst3", 1024 },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (describe (c.arguments));
        const auto parsed = parse (c.arguments);
        ASSERT_TRUE (parsed.succeeded()) << parsed.errorMessage;

        const auto& options = parsed.options;
        EXPECT_EQ (options.task, c.task);
        EXPECT_EQ (options.inputPath, c.input);
        EXPECT_EQ (options.crossoversHz, c.crossovers);
        EXPECT_EQ (options.check, c.check);
        EXPECT_EQ (options.report, c.report);
        EXPECT_EQ (options.outputDirectory, c.outputDirectory);
        EXPECT_EQ (options.pluginPath, c.plugin);
        EXPECT_EQ (options.blockSize, c.blockSize);
    }
}

TEST (ZenvarSplitCommandLine, RefusedCommandLinesNameTheirFault)
{
    struct Case
    {
        std::initializer_list<const char*> arguments;
        const char* messageFragment;
    };

    // clang-format off
    const Case cases[] = {
        { {}, "no input file" },
        { { "a.wav", "b.wav" }, "more than one input file" },
        { { "mix.wav", "--crossovers", "19.9,1000,5000" }, "crossover 1 (19.9 Hz) is outside the plug-in's range of 20 to 20000 Hz" },
        { { "mix.wav", "--crossovers", "160,1000,20001" }, "crossover 3 (20001 Hz) is outside" },
        { { "mix.wav", "--crossovers", "-5,1000,5000" }, "outside the plug-in's range" },
        { { "mix.wav", "--crossovers", "1000,160,5000" }, "must ascend, but crossover 2 (160 Hz) is not above crossover 1 (1000 Hz)" },
        { { "mix.wav", "--crossovers", "160,1000,1000" }, "must ascend" },
        { { "mix.wav", "--crossovers", "160,1000" }, "needs three frequencies" },
        { { "mix.wav", "--crossovers", "160,1000,5000,8000" }, "needs three frequencies" },
        { { "mix.wav", "--crossovers", "160,1k,5000" }, "\"1k\" is not a frequency" },
        { { "mix.wav", "--crossovers", "nan,1000,5000" }, "\"nan\" is not a frequency" },
        { { "mix.wav", "--crossovers", "160,,5000" }, "\"\" is not a frequency" },
        { { "mix.wav", "--crossovers" }, "--crossovers needs three frequencies" },
        { { "mix.wav", "--out" }, "--out needs a path" },
        { { "mix.wav", "--out=" }, "--out needs a path" },
        { { "mix.wav", "--plugin" }, "--plugin needs a path" },
        { { "mix.wav", "--frobnicate" }, "unknown option --frobnicate" },
        { { "mix.wav", "--check=yes" }, "--check takes no value" },
        { { "mix.wav", "--block-size", "8" }, "--block-size needs a whole number of samples from 16 to 65536" },
        { { "mix.wav", "--block-size", "100.5" }, "--block-size needs a whole number" },
        { { "--check" }, "no input file given" },
        { { "--plot", "response.png", "--report" }, "need an input file" },
        { { "--plot", "response.png", "--out", "bands" }, "need an input file" },
        { { "mix.wav", "--plot", "response.jpg" }, "PNG" },
        { { "--make-demo", "demo.wav", "mix.wav" }, "--make-demo only writes the demonstration signal" },
        { { "--make-demo", "demo.flac" }, "WAV file" },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (describe (c.arguments));
        const auto parsed = parse (c.arguments);
        EXPECT_FALSE (parsed.succeeded());
        EXPECT_TRUE (parsed.errorMessage.contains (c.messageFragment)) << parsed.errorMessage;
    }
}

TEST (ZenvarSplitCommandLine, WithoutAKnownBundleThePluginMustBeNamed)
{
    const auto withoutDefault = ZenvarSplitCommandLine::parse ({ "mix.wav" }, {});
    EXPECT_TRUE (withoutDefault.errorMessage.contains ("--plugin")) << withoutDefault.errorMessage;

    const auto named = ZenvarSplitCommandLine::parse ({ "mix.wav", "--plugin", "Zenvar.vst3" }, {});
    EXPECT_TRUE (named.succeeded()) << named.errorMessage;
}
