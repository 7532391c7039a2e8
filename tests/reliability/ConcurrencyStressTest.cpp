// Many instances in concurrent use, as a busy host runs them: audio threads process blocks and push
// crossover changes through their link groups while the test thread, acting as the message
// thread, creates, moves, saves, restores and destroys instances and opens, runs and closes
// editors.
// Built for ThreadSanitizer, which reports any unsynchronised access; the audio threads only
// count what they see, and every check runs on the test thread after they have stopped.

#include "reliability/SimulatedHost.h"
#include "support/ZenvarTestSupport.h"

#include <iostream>
#include <map>
#include <thread>

using namespace zenvar;
using namespace zenvar::test;

namespace
{
constexpr int numAudioThreads = 3;
constexpr int instancesPerAudioThread = 2;
constexpr int numMessageThreadIterations = 20000;
constexpr int maximumTransientInstances = 6;
constexpr int maximumBlockSize = 512;

/** One host audio thread that runs the callbacks of its own instances until stopped, with host
    automation of their parameters between blocks. */
class AudioThread
{
public:
    AudioThread (std::vector<ZenvarAudioProcessor*> processorsToRun, int seed)
        : processors (std::move (processorsToRun)), thread ([this, seed] { run (seed); })
    {
    }

    ~AudioThread() { stop(); }

    void stop()
    {
        shouldStop.store (true);

        if (thread.joinable())
            thread.join();
    }

    std::atomic<long long> numBlocks { 0 };
    std::atomic<int> numNonFiniteBlocks { 0 };

private:
    void run (int seed)
    {
        juce::Random random (seed);
        juce::AudioBuffer<float> storage (2, maximumBlockSize);
        juce::MidiBuffer midi;

        while (! shouldStop.load())
        {
            for (auto* processor : processors)
            {
                automate (*processor, random);

                const auto blockSize = 1 + random.nextInt (maximumBlockSize);
                fillWithNoise (storage, blockSize, random);
                juce::AudioBuffer<float> buffer (storage.getArrayOfWritePointers(), processor->getTotalNumInputChannels(), blockSize);
                processor->processBlock (buffer, midi);

                if (! isFinite (buffer, blockSize))
                    numNonFiniteBlocks.fetch_add (1);

                numBlocks.fetch_add (1);
            }

            // A host's audio thread waits for the device between callbacks; yielding here stands
            // in for that, so the message thread gets its share of the two cores.
            std::this_thread::yield();
        }
    }

    static void automate (ZenvarAudioProcessor& processor, juce::Random& random)
    {
        auto& parameter = static_cast<juce::AudioProcessorParameter&> (processor.getParameterAt (random.nextInt (numParameters)));

        if (random.nextInt (3) == 0)
            parameter.setValue (parameter.getParameterIndex() < numCrossovers ? random.nextFloat()
                                                                              : chooseBandSwitchValue (random));
    }

    std::vector<ZenvarAudioProcessor*> processors;
    std::atomic<bool> shouldStop { false };
    std::thread thread;
};

class ConcurrencyStressTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < numAudioThreads * instancesPerAudioThread; ++i)
        {
            auto& processor = instances.create();
            ASSERT_TRUE (processor.setBusesLayout (makeLayout (i % 2 == 0 ? 2 : 1)));
            processor.prepareToPlay (48000.0, maximumBlockSize);
            processed.push_back (&processor);
        }
    }

    void TearDown() override
    {
        editors.clear();
        audioThreads.clear();
    }

    void startAudioThreads()
    {
        for (int t = 0; t < numAudioThreads; ++t)
        {
            const auto first = processed.begin() + t * instancesPerAudioThread;
            audioThreads.push_back (std::make_unique<AudioThread> (std::vector<ZenvarAudioProcessor*> (first, first + instancesPerAudioThread), 17 + t));
        }
    }

    /** Waits until every audio thread has finished a block since the last call, so each step of
        the message thread overlaps running callbacks; progress, not time, decides. */
    void waitForEveryAudioThreadToProgress()
    {
        for (size_t t = 0; t < audioThreads.size(); ++t)
        {
            lastBlockCounts.resize (audioThreads.size(), 0);

            while (audioThreads[t]->numBlocks.load() == lastBlockCounts[t])
                std::this_thread::yield();

            lastBlockCounts[t] = audioThreads[t]->numBlocks.load();
        }
    }

    std::vector<ZenvarAudioProcessor*> getLiveInstances() const
    {
        auto live = processed;

        for (const auto& transient : transients)
            live.push_back (transient.get());

        return live;
    }

    ZenvarAudioProcessor& pickAny()
    {
        const auto live = getLiveInstances();
        return *live[(size_t) random.nextInt ((int) live.size())];
    }

    //==============================================================================
    void createTransient()
    {
        if (transients.size() < maximumTransientInstances)
            transients.push_back (std::make_unique<ZenvarAudioProcessor>());
    }

    void destroyTransient()
    {
        if (transients.empty())
            return;

        const auto victim = transients.begin() + random.nextInt ((int) transients.size());
        editors.erase (victim->get()); // a host closes the editor first
        transients.erase (victim);
    }

    void moveSomeInstance() { pickAny().moveToLinkGroup (random.nextInt (8)); }

    void copyStateBetweenInstances()
    {
        juce::MemoryBlock state;
        pickAny().getStateInformation (state);
        pickAny().setStateInformation (state.getData(), (int) state.getSize());
    }

    void restoreDamagedState()
    {
        juce::MemoryBlock state ((size_t) random.nextInt (48));

        for (size_t i = 0; i < state.getSize(); ++i)
            state[i] = (char) random.nextInt (256);

        pickAny().setStateInformation (state.getData(), (int) state.getSize());
    }

    void toggleAnEditor()
    {
        auto& processor = pickAny();

        if (editors.erase (&processor) == 0)
            editors[&processor].reset (processor.createEditorIfNeeded());
    }

    /** Runs the timer of every open editor once, as the message loop would every few
        milliseconds: the editor then reads what the audio threads publish (spectrum frames,
        transport state, sample rate). */
    void tickOpenEditors()
    {
        for (auto& [processor, editor] : editors)
            if (auto* timer = dynamic_cast<juce::Timer*> (editor.get()))
                timer->timerCallback();
    }

    //==============================================================================
    juce::ScopedJuceInitialiser_GUI juce;
    Instances instances;
    std::vector<ZenvarAudioProcessor*> processed;
    std::vector<std::unique_ptr<ZenvarAudioProcessor>> transients;
    std::map<ZenvarAudioProcessor*, std::unique_ptr<juce::AudioProcessorEditor>> editors;
    std::vector<std::unique_ptr<AudioThread>> audioThreads;
    std::vector<long long> lastBlockCounts;
    juce::Random random { 4242 };
};

void expectSaneParameters (const ZenvarAudioProcessor& processor)
{
    for (int index = 0; index < numParameters; ++index)
    {
        const auto value = processor.getParameterValue (index);
        EXPECT_TRUE (std::isfinite (value) && value >= 0.0f && value <= 1.0f) << "parameter " << index << ": " << value;
    }

    EXPECT_TRUE (std::isfinite (processor.editorScale.load()) && processor.editorScale.load() >= 1.0f);
}
} // namespace

TEST_F (ConcurrencyStressTest, InstancesSurviveConcurrentProcessingAndMessageThreadChanges)
{
    startAudioThreads();

    for (int iteration = 0; iteration < numMessageThreadIterations; ++iteration)
    {
        waitForEveryAudioThreadToProgress();

        switch (random.nextInt (7))
        {
            case 0: createTransient(); break;
            case 1: destroyTransient(); break;
            case 2: moveSomeInstance(); break;
            case 3: copyStateBetweenInstances(); break;
            case 4: restoreDamagedState(); break;
            case 5: toggleAnEditor(); break;
            default: createTransient(); destroyTransient(); break;
        }

        tickOpenEditors();
    }

    long long totalBlocks = 0;

    for (auto& audioThread : audioThreads)
    {
        audioThread->stop();
        EXPECT_EQ (audioThread->numNonFiniteBlocks.load(), 0);
        totalBlocks += audioThread->numBlocks.load();
    }

    std::cout << "[ stress ] " << numMessageThreadIterations << " message-thread steps against " << totalBlocks
              << " blocks on " << numAudioThreads << " audio threads\n";

    // Every live instance is in exactly the group it believes it is in, and nothing else is.
    const auto live = getLiveInstances();
    auto& pool = *live.front()->processorPool;
    int numMembers = 0;

    for (int group = 0; group < pool.getNumGroups(); ++group)
        numMembers += pool.getGroupSize (group);

    EXPECT_EQ (numMembers, (int) live.size());

    for (auto* processor : live)
    {
        EXPECT_EQ (pool.getGroupOf (processor), processor->linkGroup.load());
        expectSaneParameters (*processor);
    }

    // With everything quiet, a crossover change in each processed instance still reaches every
    // other member of its group.
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;

    for (size_t i = 0; i < processed.size(); ++i)
    {
        auto& sender = *processed[i];
        const auto value = 0.1f + 0.05f * (float) i;
        static_cast<juce::AudioProcessorParameter&> (sender.getParameterAt (1)).setValue (value);
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), sender.getTotalNumInputChannels(), 64);
        block.clear();
        sender.processBlock (block, midi);

        for (auto* member : pool.getGroupMembers (sender.linkGroup))
            EXPECT_EQ (static_cast<ZenvarAudioProcessor*> (member)->getParameterValue (1), value) << "sender " << i;
    }
}
