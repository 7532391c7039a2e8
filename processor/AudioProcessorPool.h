#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

/** The process-wide registry of plug-in instances, sorted into link groups.

    Members of one link group share their crossover frequencies. Groups are only ever appended,
    and members keep their joining order, so a group's first member is the one that has been in it
    longest.

    Thread protocol: every change (adding or removing processors or groups) and every query below
    runs on the message thread or a host's state thread; changes are serialised by a lock that no
    audio thread ever takes. Audio threads read a group's members with forEachMemberOfGroup(),
    which works on an immutable snapshot of the groups and never blocks. A change publishes a new
    snapshot and then waits until no audio thread can still be reading the old one, so once
    removeProcessor() has returned, no audio thread holds the removed processor.
*/
class AudioProcessorPool
{
public:
    using Group = juce::Array<juce::AudioProcessor*>;

    /** Receives the registry's notifications, on the thread that made the change. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** A group was appended; `members` is its (empty) member list. */
        virtual void groupAdded (const Group& members, int groupIndex) = 0;

        /** A group's membership changed; `members` is null when the group was removed. */
        virtual void groupChanged (const Group* members, int groupIndex) = 0;

        /** A crossover value was pushed into `processor` from another member of its group;
            `groupIndex` is that processor's group, or -1. */
        virtual void parameterPushed (juce::AudioProcessor* processor, int parameterIndex, int groupIndex) = 0;
    };

    AudioProcessorPool();
    ~AudioProcessorPool();

    /** The registry shared by all instances in this process, created on first use. [any thread] */
    static AudioProcessorPool& getInstance();

    //==============================================================================
    /** Subscribes a listener (not owned; adding it twice makes it hear everything twice). */
    virtual void addListener (Listener* listener);

    /** Removes every subscription of the listener. */
    virtual void removeListener (Listener* listener);

    /** Appends `processor` to group `groupIndex` and returns its position there (0 for the
        first member). Creates the first group if there is none. Returns -1 and changes nothing
        when the processor is already a member of any group. The group must exist. */
    virtual int addProcessor (juce::AudioProcessor* processor, int groupIndex);

    /** Removes `processor` from its group and returns that group's index, or -1 when it was in
        none. With `dropEmptyLastGroup`, an emptied group removes the last group if that is empty
        too. When this returns, no audio thread can still reach the processor through the pool. */
    virtual int removeProcessor (juce::AudioProcessor* processor, bool dropEmptyLastGroup, bool notify);

    /** Number of link groups. */
    virtual int getNumGroups() const;

    /** Index of the lowest-numbered group containing `processor`, or -1. */
    virtual int getGroupOf (const juce::AudioProcessor* processor) const;

    /** Number of members of an existing group; 0 for an index that does not exist. */
    virtual int getGroupSize (int groupIndex) const;

    /** Appends an empty group and returns its index. */
    virtual int addGroup();

    /** The member that has been in the group longest, or null for an empty or missing group. */
    virtual juce::AudioProcessor* getFirstProcessorInGroup (int groupIndex) const;

    virtual void notifyGroupAdded (int groupIndex);
    virtual void notifyGroupChanged (int groupIndex, bool groupRemoved);
    virtual void notifyParameterPushed (juce::AudioProcessor* processor, int parameterIndex);

    //==============================================================================
    /** A copy of a group's members in joining order (empty for a missing group).
        [message thread] */
    Group getGroupMembers (int groupIndex) const;

    /** Calls `visit (juce::AudioProcessor*)` for each member of `groupIndex` in joining order,
        without locking or allocating. Safe on audio threads while other threads change the
        registry; a member being removed concurrently may or may not be visited, but is never
        visited after its removeProcessor() has returned. [any thread] */
    template <typename Visitor>
    void forEachMemberOfGroup (int groupIndex, Visitor&& visit) const noexcept
    {
        const ReadSection section (*this);

        if (const auto* members = section.snapshot->getGroup (groupIndex))
            for (auto* member : *members)
                visit (member);
    }

private:
    //==============================================================================
    struct Snapshot
    {
        std::vector<std::vector<juce::AudioProcessor*>> groups;

        const std::vector<juce::AudioProcessor*>* getGroup (int groupIndex) const noexcept
        {
            return juce::isPositiveAndBelow (groupIndex, (int) groups.size()) ? &groups[(size_t) groupIndex]
                                                                             : nullptr;
        }
    };

    /** Marks an audio-thread reader as inside the current snapshot for its lifetime. */
    class ReadSection
    {
    public:
        explicit ReadSection (const AudioProcessorPool& pool) noexcept;
        ~ReadSection();

        const Snapshot* snapshot = nullptr;

    private:
        const AudioProcessorPool& pool;
        int parity = 0;
    };

    void publishSnapshot();
    void waitForReadersOf (int parity) const;

    mutable std::recursive_mutex writeLock;
    juce::Array<Listener*> listeners;
    std::vector<Group> groups;

    std::unique_ptr<Snapshot> publishedSnapshot;
    std::atomic<const Snapshot*> currentSnapshot { nullptr };
    std::atomic<int> readEpoch { 0 };
    mutable std::array<std::atomic<int>, 2> readersInEpoch {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioProcessorPool)
};
