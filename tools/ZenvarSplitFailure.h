#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>

/** A run of zenvar-split that cannot go on: its message is shown on stderr as it is, so it says
    what went wrong and, where there is one, what to do about it. */
class ZenvarSplitFailure : public std::runtime_error
{
public:
    /** Exit statuses of the program. */
    enum ExitStatus
    {
        failed = 1,       // input, plug-in or output trouble
        badArguments = 2, // the command line asks for something impossible
        checkFailed = 3   // --check found the band sum away from the all-pass response
    };

    explicit ZenvarSplitFailure (const juce::String& message, ExitStatus status = failed)
        : std::runtime_error (message.toStdString())
        , exitStatus (status)
    {
    }

    ExitStatus getExitStatus() const noexcept { return exitStatus; }

private:
    ExitStatus exitStatus;
};
