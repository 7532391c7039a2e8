#pragma once

#include <cstddef>
#include <string>

#if defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
  #define ZENVAR_TRAP_USES_SANITIZER_HOOKS 1
 #endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define ZENVAR_TRAP_USES_SANITIZER_HOOKS 1
#endif
#ifndef ZENVAR_TRAP_USES_SANITIZER_HOOKS
 #define ZENVAR_TRAP_USES_SANITIZER_HOOKS 0
#endif

namespace zenvar::test
{

/** Catches what an audio callback must never do: allocate or free heap memory, take a lock, or
    wait (sleep, yield). A thread counts as an audio thread while it holds a ScopedAudioThread.

    The test binary replaces the global allocation functions (operator new and delete, malloc and
    its relatives) and the common locking and waiting calls with versions that forward to the C
    library and, on an audio thread, record the first offence with its call stack. Recording never
    allocates, so the trap cannot trip over itself.

    In a sanitizer build the sanitizer owns the allocation and locking functions, so the trap
    listens to the sanitizer's allocation hooks instead, and cannot see locks.
*/
class AudioThreadTrap
{
public:
    /** Marks the calling thread as an audio thread while it lives. Nesting is not supported. */
    class ScopedAudioThread
    {
    public:
        ScopedAudioThread() noexcept;
        ~ScopedAudioThread();

        ScopedAudioThread (const ScopedAudioThread&) = delete;
        ScopedAudioThread& operator= (const ScopedAudioThread&) = delete;
    };

    /** True when lock and wait calls are trapped as well as heap operations. */
    static bool canTrapLocks() noexcept;

    /** Number of offences on any audio thread since the last clear(). [any thread] */
    static int getNumOffences() noexcept;

    /** Describes the first offence since the last clear(): what it was (for example "heap
        allocation of 64 bytes") and the symbolised call stack, innermost frame first. Empty when
        there was none. Call it on a thread that is not an audio thread. */
    static std::string describeFirstOffence();

    /** Counts an offence if the calling thread is an audio thread, keeping the call stack of the
        first. Never allocates or locks. [called by the replaced functions and the sanitizer hooks] */
    static void recordOffence (const char* what, std::size_t bytes) noexcept;

    /** Forgets every offence, so the next one is recorded with its stack. [any thread, while no
        audio thread runs] */
    static void clear() noexcept;
};

} // namespace zenvar::test
