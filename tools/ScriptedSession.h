#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <vector>

/** Runs a list of steps on the message thread inside JUCE's dispatch loop, as a host program
    would meet them: each step acts once, then waits until its condition holds, or the session
    fails after a generous timeout. The loop ends after the last step or the first failure.

    JUCE's dispatch loop runs only once per process, so a program runs one session.
    [message thread] */
class ScriptedSession : private juce::Timer
{
public:
    explicit ScriptedSession (int stepTimeoutMilliseconds);
    ~ScriptedSession() override;

    /** Appends a step: `action` runs once, then `isDone` is asked every tick until it says yes. */
    void addStep (juce::String name, std::function<void()> action, std::function<bool()> isDone);

    /** Called every few ticks while a step waits. */
    std::function<void()> whileWaiting;

    /** Called when a step starts, with its name. */
    std::function<void (const juce::String&)> onStepStarted;

    /** Runs the dispatch loop until the session ends; returns the name of the step that did not
        finish in time, or an empty string. */
    juce::String run();

private:
    struct Step
    {
        juce::String name;
        std::function<void()> action;
        std::function<bool()> isDone;
    };

    void timerCallback() override;
    void finish (const juce::String& failedStepName);

    const juce::uint32 stepTimeout;
    std::vector<Step> steps;
    size_t nextStep = 0;
    int ticksWaited = 0;
    juce::uint32 stepStartTime = 0;
    juce::String failedStep;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScriptedSession)
};
