// Replacements for the C library's and the C++ run-time's heap functions, and for the common
// locking and waiting calls, that report to AudioThreadTrap. Each forwards to the C library, so
// memory from either side can be freed by the other. Not used in sanitizer builds, whose
// run-times own these functions (the trap then listens to the sanitizer's hooks instead).

#include "reliability/AudioThreadTrap.h"

#if ! ZENVAR_TRAP_USES_SANITIZER_HOOKS

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

using zenvar::test::AudioThreadTrap;

extern "C"
{
void* __libc_malloc (std::size_t) noexcept;
void* __libc_calloc (std::size_t, std::size_t) noexcept;
void* __libc_realloc (void*, std::size_t) noexcept;
void* __libc_memalign (std::size_t, std::size_t) noexcept;
void* __libc_valloc (std::size_t) noexcept;
void* __libc_pvalloc (std::size_t) noexcept;
void __libc_free (void*) noexcept;
}

#define ZENVAR_INTERPOSED __attribute__ ((visibility ("default"), used))

namespace
{
void freeOnAudioThreadCheck (void* pointer) noexcept
{
    if (pointer != nullptr)
        AudioThreadTrap::recordOffence ("heap deallocation", 0);

    __libc_free (pointer);
}

void* allocateOrThrow (std::size_t bytes, std::size_t alignment)
{
    AudioThreadTrap::recordOffence ("heap allocation", bytes);

    for (;;)
    {
        if (auto* pointer = alignment == 0 ? __libc_malloc (bytes == 0 ? 1 : bytes)
                                           : __libc_memalign (alignment, bytes == 0 ? 1 : bytes))
            return pointer;

        auto handler = std::get_new_handler();

        if (handler == nullptr)
            throw std::bad_alloc();

        handler();
    }
}

void* allocateOrNull (std::size_t bytes, std::size_t alignment) noexcept
{
    try
    {
        return allocateOrThrow (bytes, alignment);
    }
    catch (...)
    {
        return nullptr;
    }
}

/** The next definition of a C library function after ours, found once and kept. */
template <typename Function>
Function findNext (std::atomic<void*>& cache, const char* name) noexcept
{
    auto* function = cache.load (std::memory_order_relaxed);

    if (function == nullptr)
    {
        function = dlsym (RTLD_NEXT, name);
        cache.store (function, std::memory_order_relaxed);
    }

    return reinterpret_cast<Function> (function);
}

#define ZENVAR_FORWARD(name, what, ...)                                          \
    AudioThreadTrap::recordOffence (what, 0);                                                     \
    static std::atomic<void*> next##name { nullptr };                            \
    return findNext<decltype (&::name)> (next##name, #name) (__VA_ARGS__)
} // namespace

extern "C"
{
ZENVAR_INTERPOSED void* malloc (std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (malloc)", bytes);
    return __libc_malloc (bytes);
}

ZENVAR_INTERPOSED void* calloc (std::size_t count, std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (calloc)", count * bytes);
    return __libc_calloc (count, bytes);
}

ZENVAR_INTERPOSED void* realloc (void* pointer, std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap reallocation (realloc)", bytes);
    return __libc_realloc (pointer, bytes);
}

ZENVAR_INTERPOSED void* aligned_alloc (std::size_t alignment, std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (aligned_alloc)", bytes);
    return __libc_memalign (alignment, bytes);
}

ZENVAR_INTERPOSED void* memalign (std::size_t alignment, std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (memalign)", bytes);
    return __libc_memalign (alignment, bytes);
}

ZENVAR_INTERPOSED int posix_memalign (void** result, std::size_t alignment, std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (posix_memalign)", bytes);

    if (alignment % sizeof (void*) != 0 || (alignment & (alignment - 1)) != 0 || alignment == 0)
        return EINVAL;

    auto* pointer = __libc_memalign (alignment, bytes);

    if (pointer == nullptr)
        return ENOMEM;

    *result = pointer;
    return 0;
}

ZENVAR_INTERPOSED void* valloc (std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (valloc)", bytes);
    return __libc_valloc (bytes);
}

ZENVAR_INTERPOSED void* pvalloc (std::size_t bytes) noexcept
{
    AudioThreadTrap::recordOffence ("heap allocation (pvalloc)", bytes);
    return __libc_pvalloc (bytes);
}

ZENVAR_INTERPOSED void free (void* pointer) noexcept { freeOnAudioThreadCheck (pointer); }

//==============================================================================
// Locks and waits. JUCE's CriticalSection and std::mutex both end in pthread_mutex_lock; sleeping
// and yielding mean the callback waits for something.
ZENVAR_INTERPOSED int pthread_mutex_lock (pthread_mutex_t* mutex) noexcept
{
    ZENVAR_FORWARD (pthread_mutex_lock, "lock (pthread_mutex_lock)", mutex);
}

ZENVAR_INTERPOSED int pthread_mutex_trylock (pthread_mutex_t* mutex) noexcept
{
    ZENVAR_FORWARD (pthread_mutex_trylock, "lock (pthread_mutex_trylock)", mutex);
}

ZENVAR_INTERPOSED int pthread_mutex_timedlock (pthread_mutex_t* mutex, const timespec* timeout) noexcept
{
    ZENVAR_FORWARD (pthread_mutex_timedlock, "lock (pthread_mutex_timedlock)", mutex, timeout);
}

ZENVAR_INTERPOSED int pthread_rwlock_rdlock (pthread_rwlock_t* lock) noexcept
{
    ZENVAR_FORWARD (pthread_rwlock_rdlock, "lock (pthread_rwlock_rdlock)", lock);
}

ZENVAR_INTERPOSED int pthread_rwlock_wrlock (pthread_rwlock_t* lock) noexcept
{
    ZENVAR_FORWARD (pthread_rwlock_wrlock, "lock (pthread_rwlock_wrlock)", lock);
}

ZENVAR_INTERPOSED int sem_wait (sem_t* semaphore)
{
    ZENVAR_FORWARD (sem_wait, "wait (sem_wait)", semaphore);
}

ZENVAR_INTERPOSED int sched_yield() noexcept
{
    AudioThreadTrap::recordOffence ("wait (sched_yield)", 0);
    static std::atomic<void*> nextsched_yield { nullptr };
    return findNext<decltype (&::sched_yield)> (nextsched_yield, "sched_yield")();
}

ZENVAR_INTERPOSED int nanosleep (const timespec* duration, timespec* remaining)
{
    ZENVAR_FORWARD (nanosleep, "wait (nanosleep)", duration, remaining);
}

ZENVAR_INTERPOSED int usleep (useconds_t microseconds)
{
    ZENVAR_FORWARD (usleep, "wait (usleep)", microseconds);
}
} // extern "C"

//==============================================================================
ZENVAR_INTERPOSED void* operator new (std::size_t bytes) { return allocateOrThrow (bytes, 0); }
ZENVAR_INTERPOSED void* operator new[] (std::size_t bytes) { return allocateOrThrow (bytes, 0); }
ZENVAR_INTERPOSED void* operator new (std::size_t bytes, const std::nothrow_t&) noexcept { return allocateOrNull (bytes, 0); }
ZENVAR_INTERPOSED void* operator new[] (std::size_t bytes, const std::nothrow_t&) noexcept { return allocateOrNull (bytes, 0); }
ZENVAR_INTERPOSED void* operator new (std::size_t bytes, std::align_val_t alignment) { return allocateOrThrow (bytes, (std::size_t) alignment); }
ZENVAR_INTERPOSED void* operator new[] (std::size_t bytes, std::align_val_t alignment) { return allocateOrThrow (bytes, (std::size_t) alignment); }
ZENVAR_INTERPOSED void* operator new (std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept { return allocateOrNull (bytes, (std::size_t) alignment); }
ZENVAR_INTERPOSED void* operator new[] (std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept { return allocateOrNull (bytes, (std::size_t) alignment); }

ZENVAR_INTERPOSED void operator delete (void* pointer) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete (void* pointer, const std::nothrow_t&) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer, const std::nothrow_t&) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete (void* pointer, std::size_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer, std::size_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete (void* pointer, std::align_val_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer, std::align_val_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete (void* pointer, std::size_t, std::align_val_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer, std::size_t, std::align_val_t) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete (void* pointer, std::align_val_t, const std::nothrow_t&) noexcept { freeOnAudioThreadCheck (pointer); }
ZENVAR_INTERPOSED void operator delete[] (void* pointer, std::align_val_t, const std::nothrow_t&) noexcept { freeOnAudioThreadCheck (pointer); }
#endif
