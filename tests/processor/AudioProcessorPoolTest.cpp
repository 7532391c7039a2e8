#include "processor/AudioProcessorPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
/** The registry never calls into its members, so any processor will do. */
class SilentProcessor : public juce::AudioProcessor
{
public:
    const juce::String getName() const override { return "Silent"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};

class RecordingListener : public AudioProcessorPool::Listener
{
public:
    std::vector<juce::String> events;

    void groupAdded (const AudioProcessorPool::Group& members, int groupIndex) override
    {
        events.push_back ("added " + juce::String (groupIndex) + " size " + juce::String (members.size()));
    }

    void groupChanged (const AudioProcessorPool::Group* members, int groupIndex) override
    {
        events.push_back ("changed " + juce::String (groupIndex) + (members == nullptr ? " removed" : " size " + juce::String (members->size())));
    }

    void parameterPushed (juce::AudioProcessor*, int parameterIndex, int groupIndex) override
    {
        events.push_back ("pushed " + juce::String (parameterIndex) + " in " + juce::String (groupIndex));
    }
};

class AudioProcessorPoolTest : public ::testing::Test
{
protected:
    AudioProcessorPool pool;
    SilentProcessor a, b, c;
};
} // namespace

TEST_F (AudioProcessorPoolTest, FirstProcessorCreatesTheFirstGroup)
{
    EXPECT_EQ (pool.getNumGroups(), 0);
    EXPECT_EQ (pool.addProcessor (&a, 0), 0);
    EXPECT_EQ (pool.getNumGroups(), 1);
    EXPECT_EQ (pool.getGroupOf (&a), 0);
}

TEST_F (AudioProcessorPoolTest, PositionsFollowJoiningOrderAndShiftWhenMembersLeave)
{
    pool.addGroup();
    EXPECT_EQ (pool.addProcessor (&a, 0), 0);
    EXPECT_EQ (pool.addProcessor (&b, 0), 1);
    EXPECT_EQ (pool.getFirstProcessorInGroup (0), &a);

    EXPECT_EQ (pool.removeProcessor (&a, false, true), 0);
    EXPECT_EQ (pool.getFirstProcessorInGroup (0), &b);
    EXPECT_EQ (pool.addProcessor (&c, 0), 1);
}

TEST_F (AudioProcessorPoolTest, ProcessorIsMemberOfOneGroupAtMost)
{
    for (int i = 0; i < 6; ++i)
        pool.addGroup();

    pool.addProcessor (&a, 2);
    EXPECT_EQ (pool.addProcessor (&a, 5), -1);
    EXPECT_EQ (pool.getGroupOf (&a), 2);
    EXPECT_EQ (pool.getGroupSize (5), 0);
}

TEST_F (AudioProcessorPoolTest, EmptiedGroupsStayUnlessAskedToDropTheLast)
{
    pool.addGroup();
    pool.addGroup();
    pool.addProcessor (&a, 1);

    EXPECT_EQ (pool.removeProcessor (&a, false, true), 1);
    EXPECT_EQ (pool.getNumGroups(), 2);
    EXPECT_EQ (pool.getFirstProcessorInGroup (1), nullptr);

    pool.addProcessor (&a, 1);
    EXPECT_EQ (pool.removeProcessor (&a, true, true), 1);
    EXPECT_EQ (pool.getNumGroups(), 1);

    EXPECT_EQ (pool.removeProcessor (&a, false, true), -1);
}

TEST_F (AudioProcessorPoolTest, ListenersHearChangesInOrder)
{
    RecordingListener listener;
    pool.addListener (&listener);

    pool.addGroup();
    pool.addProcessor (&a, 0);
    pool.addProcessor (&b, 0);
    pool.notifyParameterPushed (&b, 1);
    pool.notifyParameterPushed (&c, 2);
    pool.removeProcessor (&a, false, false);
    pool.removeProcessor (&b, true, true);

    const std::vector<juce::String> expected {
        "added 0 size 0",
        "changed 0 size 1",
        "changed 0 size 2",
        "pushed 1 in 0",
        "pushed 2 in -1",
        "changed 0 removed",
    };
    EXPECT_EQ (listener.events, expected);

    pool.removeListener (&listener);
    pool.addGroup();
    EXPECT_EQ (listener.events.size(), expected.size());
}

// Audio threads walk a group while the message thread keeps moving members in and out. A member
// is marked gone only after removeProcessor() has returned, so a reader that still meets it there
// shows that the registry let an audio thread reach a removed processor.
TEST_F (AudioProcessorPoolTest, NoReaderReachesAProcessorAfterItsRemovalReturned)
{
    constexpr int numMembers = 8;
    std::vector<std::unique_ptr<SilentProcessor>> members;
    std::array<std::atomic<bool>, numMembers> isRegistered {};

    pool.addGroup();

    for (int i = 0; i < numMembers; ++i)
    {
        members.push_back (std::make_unique<SilentProcessor>());
        pool.addProcessor (members.back().get(), 0);
        isRegistered[(size_t) i] = true;
    }

    std::atomic<bool> stop { false };
    std::atomic<int> violations { 0 };
    std::atomic<long> visits { 0 };
    std::atomic<int> readersStarted { 0 };

    auto reader = [&]
    {
        readersStarted.fetch_add (1);

        while (! stop.load())
        {
            pool.forEachMemberOfGroup (0, [&] (juce::AudioProcessor* member)
            {
                for (int i = 0; i < numMembers; ++i)
                    if (member == members[(size_t) i].get() && ! isRegistered[(size_t) i].load())
                        violations.fetch_add (1);

                visits.fetch_add (1, std::memory_order_relaxed);
            });
        }
    };

    std::thread readerA (reader), readerB (reader);
    juce::Random random (42);

    while (readersStarted.load() < 2)
        std::this_thread::yield();

    // Enough rounds to interleave often, and on until the readers have really been reading.
    for (int round = 0; round < 20000 || visits.load() < 100000; ++round)
    {
        const auto index = random.nextInt (numMembers);
        auto* member = members[(size_t) index].get();

        if (isRegistered[(size_t) index])
        {
            pool.removeProcessor (member, false, true);
            isRegistered[(size_t) index] = false;
        }
        else
        {
            isRegistered[(size_t) index] = true;
            pool.addProcessor (member, 0);
        }
    }

    stop = true;
    readerA.join();
    readerB.join();

    EXPECT_EQ (violations.load(), 0);
    EXPECT_GT (visits.load(), 0);
}
