#include "AudioProcessorPool.h"

#include <algorithm>
#include <thread>

AudioProcessorPool::AudioProcessorPool()
{
    publishSnapshot();
}

AudioProcessorPool::~AudioProcessorPool() = default;

AudioProcessorPool& AudioProcessorPool::getInstance()
{
    static AudioProcessorPool pool;
    return pool;
}

//==============================================================================
void AudioProcessorPool::addListener (Listener* listener)
{
    const std::scoped_lock lock (writeLock);
    listeners.add (listener);
}

void AudioProcessorPool::removeListener (Listener* listener)
{
    const std::scoped_lock lock (writeLock);
    listeners.removeAllInstancesOf (listener);
}

int AudioProcessorPool::addProcessor (juce::AudioProcessor* processor, int groupIndex)
{
    const std::scoped_lock lock (writeLock);

    if (groups.empty())
        addGroup();

    if (getGroupOf (processor) >= 0 || ! juce::isPositiveAndBelow (groupIndex, (int) groups.size()))
        return -1;

    auto& group = groups[(size_t) groupIndex];
    group.add (processor);
    const auto position = group.size() - 1;

    publishSnapshot();
    notifyGroupChanged (groupIndex, false);
    return position;
}

int AudioProcessorPool::removeProcessor (juce::AudioProcessor* processor, bool dropEmptyLastGroup, bool notify)
{
    const std::scoped_lock lock (writeLock);

    const auto groupIndex = getGroupOf (processor);

    if (groupIndex < 0)
        return -1;

    auto& group = groups[(size_t) groupIndex];
    group.removeAllInstancesOf (processor);

    const auto groupRemoved = dropEmptyLastGroup && group.isEmpty() && groups.back().isEmpty();

    if (groupRemoved)
        groups.pop_back();

    publishSnapshot();

    if (notify)
        notifyGroupChanged (groupIndex, groupRemoved);

    return groupIndex;
}

int AudioProcessorPool::getNumGroups() const
{
    const std::scoped_lock lock (writeLock);
    return (int) groups.size();
}

int AudioProcessorPool::getGroupOf (const juce::AudioProcessor* processor) const
{
    const std::scoped_lock lock (writeLock);

    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].contains (const_cast<juce::AudioProcessor*> (processor)))
            return (int) i;

    return -1;
}

int AudioProcessorPool::getGroupSize (int groupIndex) const
{
    const std::scoped_lock lock (writeLock);
    return juce::isPositiveAndBelow (groupIndex, (int) groups.size()) ? groups[(size_t) groupIndex].size() : 0;
}

int AudioProcessorPool::addGroup()
{
    const std::scoped_lock lock (writeLock);

    groups.emplace_back();
    const auto groupIndex = (int) groups.size() - 1;

    publishSnapshot();
    notifyGroupAdded (groupIndex);
    return groupIndex;
}

juce::AudioProcessor* AudioProcessorPool::getFirstProcessorInGroup (int groupIndex) const
{
    const std::scoped_lock lock (writeLock);
    return juce::isPositiveAndBelow (groupIndex, (int) groups.size()) ? groups[(size_t) groupIndex].getFirst() : nullptr;
}

void AudioProcessorPool::notifyGroupAdded (int groupIndex)
{
    const std::scoped_lock lock (writeLock);
    const auto members = getGroupMembers (groupIndex);

    for (auto* listener : juce::Array<Listener*> (listeners))
        listener->groupAdded (members, groupIndex);
}

void AudioProcessorPool::notifyGroupChanged (int groupIndex, bool groupRemoved)
{
    const std::scoped_lock lock (writeLock);
    const auto members = getGroupMembers (groupIndex);

    for (auto* listener : juce::Array<Listener*> (listeners))
        listener->groupChanged (groupRemoved ? nullptr : &members, groupIndex);
}

void AudioProcessorPool::notifyParameterPushed (juce::AudioProcessor* processor, int parameterIndex)
{
    const std::scoped_lock lock (writeLock);
    const auto groupIndex = getGroupOf (processor);

    for (auto* listener : juce::Array<Listener*> (listeners))
        listener->parameterPushed (processor, parameterIndex, groupIndex);
}

//==============================================================================
AudioProcessorPool::Group AudioProcessorPool::getGroupMembers (int groupIndex) const
{
    const std::scoped_lock lock (writeLock);
    return juce::isPositiveAndBelow (groupIndex, (int) groups.size()) ? groups[(size_t) groupIndex] : Group();
}

// Readers announce themselves in the counter of the epoch they saw, then re-check the epoch: a
// writer that flipped it in between may already be waiting on that counter, so the reader backs
// out and retries in the new epoch. A reader that got in reads whatever snapshot is current, and
// the writer that replaces that snapshot waits for the counter to drain before freeing it.
AudioProcessorPool::ReadSection::ReadSection (const AudioProcessorPool& poolToRead) noexcept
    : pool (poolToRead)
{
    for (;;)
    {
        const auto epoch = pool.readEpoch.load();
        parity = epoch & 1;
        pool.readersInEpoch[(size_t) parity].fetch_add (1);

        if (pool.readEpoch.load() == epoch)
            break;

        pool.readersInEpoch[(size_t) parity].fetch_sub (1);
    }

    snapshot = pool.currentSnapshot.load();
}

AudioProcessorPool::ReadSection::~ReadSection()
{
    pool.readersInEpoch[(size_t) parity].fetch_sub (1, std::memory_order_release);
}

void AudioProcessorPool::publishSnapshot()
{
    auto next = std::make_unique<Snapshot>();
    next->groups.reserve (groups.size());

    for (const auto& group : groups)
        next->groups.emplace_back (group.begin(), group.end());

    currentSnapshot.store (next.get());
    const auto previousEpoch = readEpoch.fetch_add (1);
    waitForReadersOf (previousEpoch & 1);

    publishedSnapshot = std::move (next);
}

void AudioProcessorPool::waitForReadersOf (int parity) const
{
    // Readers only copy a few pointers and write a few parameter values, so this is short.
    while (readersInEpoch[(size_t) parity].load (std::memory_order_acquire) != 0)
        std::this_thread::yield();
}
