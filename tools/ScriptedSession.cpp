#include "tools/ScriptedSession.h"

namespace
{
constexpr int tickMilliseconds = 20;
constexpr int ticksBetweenWaitingCalls = 10;
} // namespace

ScriptedSession::ScriptedSession (int stepTimeoutMilliseconds)
    : stepTimeout ((juce::uint32) juce::jmax (0, stepTimeoutMilliseconds))
{
}

ScriptedSession::~ScriptedSession() = default;

void ScriptedSession::addStep (juce::String name, std::function<void()> action, std::function<bool()> isDone)
{
    steps.push_back ({ std::move (name), std::move (action), std::move (isDone) });
}

juce::String ScriptedSession::run()
{
    startTimer (tickMilliseconds);
    juce::MessageManager::getInstance()->runDispatchLoop();
    return failedStep;
}

void ScriptedSession::timerCallback()
{
    if (nextStep > 0 && ! steps[nextStep - 1].isDone())
    {
        if (juce::Time::getMillisecondCounter() - stepStartTime > stepTimeout)
            finish (steps[nextStep - 1].name);
        else if (++ticksWaited % ticksBetweenWaitingCalls == 0 && whileWaiting != nullptr)
            whileWaiting();

        return;
    }

    if (nextStep == steps.size())
    {
        finish ({});
        return;
    }

    if (onStepStarted != nullptr)
        onStepStarted (steps[nextStep].name);

    stepStartTime = juce::Time::getMillisecondCounter();
    steps[nextStep++].action();
}

void ScriptedSession::finish (const juce::String& failedStepName)
{
    stopTimer();
    failedStep = failedStepName;
    juce::MessageManager::getInstance()->stopDispatchLoop();
}
