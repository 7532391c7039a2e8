#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace zenvar::test
{

/** Records, in the order they arrive, the parameter changes and gesture brackets a host would
    receive from a processor, so a test can check that changes fall inside a gesture. */
class HostEventLog : public juce::AudioProcessorListener
{
public:
    enum class Kind
    {
        change,
        gestureBegin,
        gestureEnd
    };

    struct Event
    {
        Kind kind;
        int parameterIndex;
        float value;

        bool operator== (const Event& other) const
        {
            return kind == other.kind && parameterIndex == other.parameterIndex && value == other.value;
        }
    };

    explicit HostEventLog (juce::AudioProcessor& processorToWatch)
        : processor (processorToWatch)
    {
        processor.addListener (this);
    }

    ~HostEventLog() override { processor.removeListener (this); }

    std::vector<Event> events;

    /** The events for one parameter, in order. */
    std::vector<Event> forParameter (int parameterIndex) const
    {
        std::vector<Event> selected;

        for (const auto& event : events)
            if (event.parameterIndex == parameterIndex)
                selected.push_back (event);

        return selected;
    }

    /** How many events of one kind arrived, for any parameter. */
    int count (Kind kind) const
    {
        int total = 0;

        for (const auto& event : events)
            total += event.kind == kind ? 1 : 0;

        return total;
    }

    void audioProcessorParameterChanged (juce::AudioProcessor*, int parameterIndex, float newValue) override
    {
        events.push_back ({ Kind::change, parameterIndex, newValue });
    }

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int parameterIndex) override
    {
        events.push_back ({ Kind::gestureBegin, parameterIndex, 0.0f });
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int parameterIndex) override
    {
        events.push_back ({ Kind::gestureEnd, parameterIndex, 0.0f });
    }

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override { }

private:
    juce::AudioProcessor& processor;

    HostEventLog (const HostEventLog&) = delete;
    HostEventLog& operator= (const HostEventLog&) = delete;
};

} // namespace zenvar::test
