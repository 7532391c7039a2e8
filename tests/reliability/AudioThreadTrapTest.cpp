// The trap behind the real-time checks must itself be proven: whatever it is meant to catch on an
// audio thread it catches, names the function that did it, and it stays quiet everywhere else.

#include "reliability/AudioThreadTrap.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using zenvar::test::AudioThreadTrap;

// Pointers escape through here so the compiler cannot drop an allocation and its release.
void* volatile escapedPointer = nullptr;
std::mutex someMutex;
juce::CriticalSection someCriticalSection;

// Each offence ends with a compiler barrier, so its call cannot become a tail jump that would
// drop this frame from the call stack the trap reports.
#define ZENVAR_KEEP_FRAME asm volatile ("" ::: "memory")

[[gnu::noinline]] void allocateWithNewOnPurpose()
{
    escapedPointer = ::operator new (64);
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void allocateWithMallocOnPurpose()
{
    escapedPointer = std::malloc (48);
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void growVectorOnPurpose()
{
    static_cast<std::vector<int>*> (escapedPointer)->push_back (1);
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void freeOnPurpose()
{
    std::free (escapedPointer);
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void lockMutexOnPurpose()
{
    {
        const std::scoped_lock lock (someMutex);
    }
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void lockCriticalSectionOnPurpose()
{
    {
        const juce::ScopedLock lock (someCriticalSection);
    }
    ZENVAR_KEEP_FRAME;
}

[[gnu::noinline]] void sleepOnPurpose()
{
    std::this_thread::sleep_for (std::chrono::microseconds (1));
    ZENVAR_KEEP_FRAME;
}

struct OffenceCase
{
    const char* name;
    void (*prepare)();
    void (*offence)();
    void (*cleanUp)();
    bool isLockOrWait;
    const char* expectedWhat;
    const char* expectedFunction;
};

void nothing() {}
void freeEscaped() { std::free (escapedPointer); }
void deleteEscaped() { ::operator delete (escapedPointer); }
void mallocEscaped() { escapedPointer = std::malloc (32); }
void makeVector() { escapedPointer = new std::vector<int>(); }
void deleteVector() { delete static_cast<std::vector<int>*> (escapedPointer); }

const OffenceCase offenceCases[] = {
    { "operator new", nothing, allocateWithNewOnPurpose, deleteEscaped, false, "heap allocation", "allocateWithNewOnPurpose" },
    { "malloc", nothing, allocateWithMallocOnPurpose, freeEscaped, false, "heap allocation", "allocateWithMallocOnPurpose" },
    { "a growing std::vector", makeVector, growVectorOnPurpose, deleteVector, false, "heap allocation", "growVectorOnPurpose" },
    { "free of older memory", mallocEscaped, freeOnPurpose, nothing, false, "heap deallocation", "freeOnPurpose" },
    { "std::mutex", nothing, lockMutexOnPurpose, nothing, true, "lock", "lockMutexOnPurpose" },
    { "juce::CriticalSection", nothing, lockCriticalSectionOnPurpose, nothing, true, "lock", "lockCriticalSectionOnPurpose" },
    { "sleeping", nothing, sleepOnPurpose, nothing, true, "wait", "sleepOnPurpose" },
};

class AudioThreadTrapTest : public ::testing::Test
{
protected:
    void SetUp() override { AudioThreadTrap::clear(); }
    void TearDown() override { AudioThreadTrap::clear(); }
};
} // namespace

TEST_F (AudioThreadTrapTest, CatchesEachOffenceOnAnAudioThreadAndNamesTheCaller)
{
    for (const auto& offenceCase : offenceCases)
    {
        SCOPED_TRACE (offenceCase.name);

        if (offenceCase.isLockOrWait && ! AudioThreadTrap::canTrapLocks())
            continue;

        AudioThreadTrap::clear();
        offenceCase.prepare();

        {
            const AudioThreadTrap::ScopedAudioThread audioThread;
            offenceCase.offence();
        }

        offenceCase.cleanUp();

        EXPECT_GE (AudioThreadTrap::getNumOffences(), 1);
        const auto description = AudioThreadTrap::describeFirstOffence();
        EXPECT_EQ (description.rfind (offenceCase.expectedWhat, 0), 0u) << description;
        EXPECT_NE (description.find (offenceCase.expectedFunction), std::string::npos) << description;
    }
}

TEST_F (AudioThreadTrapTest, IgnoresTheSameOffencesOutsideAnAudioThread)
{
    for (const auto& offenceCase : offenceCases)
    {
        SCOPED_TRACE (offenceCase.name);
        offenceCase.prepare();
        offenceCase.offence();
        offenceCase.cleanUp();
    }

    EXPECT_EQ (AudioThreadTrap::getNumOffences(), 0) << AudioThreadTrap::describeFirstOffence();
}

TEST_F (AudioThreadTrapTest, OtherThreadsMayAllocateWhileOneThreadIsAnAudioThread)
{
    std::atomic<bool> go { false }, otherThreadDone { false };
    std::vector<int> arithmetic (1024, 3);
    long sum = 0;

    std::thread other ([&]
                       {
                           while (! go.load())
                               continue;

                           std::vector<std::string> strings (100, "a string too long for small-string storage");
                           otherThreadDone.store (! strings.empty());
                       });

    {
        const AudioThreadTrap::ScopedAudioThread audioThread;
        go.store (true);

        // Arithmetic and atomics neither allocate nor lock.
        while (! otherThreadDone.load())
            for (auto value : arithmetic)
                sum += value;
    }

    other.join();
    EXPECT_EQ (AudioThreadTrap::getNumOffences(), 0) << AudioThreadTrap::describeFirstOffence();
    EXPECT_GT (sum, 0);
}
