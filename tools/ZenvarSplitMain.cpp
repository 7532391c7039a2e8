// zenvar-split: splits an audio file into its four bands through the built Zenvar VST3 bundle.

#include "tools/ZenvarSplitCommandLine.h"
#include "tools/ZenvarSplitFailure.h"
#include "tools/ZenvarSplitJob.h"

#include <juce_events/juce_events.h>

#include <iostream>

#ifndef ZENVAR_SPLIT_DEFAULT_BUNDLE
 #define ZENVAR_SPLIT_DEFAULT_BUNDLE ""
#endif

int main (int argc, char* argv[])
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    const auto parsed = ZenvarSplitCommandLine::parse (arguments, ZENVAR_SPLIT_DEFAULT_BUNDLE);

    if (! parsed.succeeded())
    {
        std::cerr << "zenvar-split: " << parsed.errorMessage << std::endl;
        return ZenvarSplitFailure::badArguments;
    }

    // VST3 hosting needs a message thread; this one serves as it.
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    try
    {
        return ZenvarSplitJob (parsed.options).run();
    }
    catch (const ZenvarSplitFailure& failure)
    {
        std::cerr << "zenvar-split: " << failure.what() << std::endl;
        return failure.getExitStatus();
    }
}
