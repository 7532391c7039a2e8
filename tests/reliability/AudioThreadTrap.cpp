#include "reliability/AudioThreadTrap.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <vector>

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#if ZENVAR_TRAP_USES_SANITIZER_HOOKS
 #include <sanitizer/allocator_interface.h>
 #include <sanitizer/common_interface_defs.h>
#endif

namespace
{
constexpr int maxFrames = 48;
constexpr int maxFramesShown = 24;

struct Offence
{
    const char* what = nullptr;
    std::size_t bytes = 0;
    int numFrames = 0;
    std::array<void*, maxFrames> frames {};
};

// Plain trivially-initialised thread-locals: reading them never allocates or calls into the
// run-time, which matters because they are read inside malloc.
thread_local bool isAudioThread = false;
thread_local bool isInsideTrap = false;

std::atomic<int> numOffences { 0 };
std::atomic<bool> firstOffenceRecorded { false };
Offence firstOffence;
} // namespace

namespace zenvar::test
{
[[gnu::noinline]] void AudioThreadTrap::recordOffence (const char* what, std::size_t bytes) noexcept
{
    if (! isAudioThread || isInsideTrap)
        return;

    // Whatever the unwinder does below (it may allocate or lock) must not count as a new offence.
    isInsideTrap = true;

    if (numOffences.fetch_add (1, std::memory_order_relaxed) == 0)
    {
        firstOffence.what = what;
        firstOffence.bytes = bytes;
        firstOffence.numFrames = backtrace (firstOffence.frames.data(), maxFrames);
        firstOffenceRecorded.store (true, std::memory_order_release);
    }

    isInsideTrap = false;
}
} // namespace zenvar::test

namespace
{
using zenvar::test::AudioThreadTrap;

/** One line per frame, innermost first: address, function and source location when known. */
std::vector<std::string> describeFrames (const std::vector<void*>& frames);

#if ZENVAR_TRAP_USES_SANITIZER_HOOKS
void onSanitizerAllocation (const volatile void*, std::size_t bytes) { AudioThreadTrap::recordOffence ("heap allocation", bytes); }

void onSanitizerDeallocation (const volatile void* pointer)
{
    if (pointer != nullptr)
        AudioThreadTrap::recordOffence ("heap deallocation", 0);
}

std::vector<std::string> describeFrames (const std::vector<void*>& frames)
{
    std::vector<std::string> lines;

    for (auto* frame : frames)
    {
        // One string per function at this address, innermost inlined one first, each ending in
        // a zero; an empty string ends the list.
        std::array<char, 4096> text {};
        __sanitizer_symbolize_pc (frame, "%p %F %L", text.data(), text.size() - 1);
        std::string line;

        for (const auto* function = text.data(); *function != 0; function += std::strlen (function) + 1)
            line += (line.empty() ? "" : ", inlined into ") + std::string (function);

        lines.push_back (line);
    }

    return lines;
}
#else
std::string trimLineEnd (const char* text)
{
    std::string result (text);

    while (! result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();

    return result;
}

/** Runs addr2line once for several addresses of one module; "function at file:line" for each,
    or nothing when addr2line cannot be run. */
std::vector<std::string> lookUpWithAddr2line (const std::string& modulePath, const std::vector<std::uintptr_t>& offsets)
{
    std::ostringstream command;
    command << "addr2line -C -f -e '" << modulePath << "'" << std::hex;

    for (auto offset : offsets)
        command << " 0x" << offset;

    command << " 2>/dev/null";
    auto* pipe = popen (command.str().c_str(), "r");

    if (pipe == nullptr)
        return {};

    std::vector<std::string> results;
    std::array<char, 2048> function {}, location {};

    while (results.size() < offsets.size()
           && std::fgets (function.data(), (int) function.size(), pipe) != nullptr
           && std::fgets (location.data(), (int) location.size(), pipe) != nullptr)
        results.push_back (trimLineEnd (function.data()) + " at " + trimLineEnd (location.data()));

    pclose (pipe);
    return results;
}

std::vector<std::string> describeFrames (const std::vector<void*>& frames)
{
    struct Module
    {
        std::vector<size_t> frameIndices;
        std::vector<std::uintptr_t> offsets;
    };

    std::vector<std::string> lines;
    std::map<std::string, Module> modules;

    for (size_t index = 0; index < frames.size(); ++index)
    {
        std::ostringstream text;
        text << frames[index];
        lines.push_back (text.str());

        Dl_info info {};

        if (dladdr (frames[index], &info) == 0 || info.dli_fbase == nullptr)
            continue;

        const std::string modulePath = info.dli_fname != nullptr && *info.dli_fname != 0 ? info.dli_fname : "/proc/self/exe";
        lines.back() += " in " + modulePath;

        // A return address points just after its call; one byte back lands inside it.
        // Position-independent modules are looked up by offset, fixed-address ones by address.
        auto lookup = reinterpret_cast<std::uintptr_t> (frames[index]) - 1;

        if (static_cast<const ElfW (Ehdr)*> (info.dli_fbase)->e_type == ET_DYN)
            lookup -= reinterpret_cast<std::uintptr_t> (info.dli_fbase);

        auto& module = modules[modulePath];
        module.frameIndices.push_back (index);
        module.offsets.push_back (lookup);
    }

    for (const auto& [path, module] : modules)
    {
        const auto symbols = lookUpWithAddr2line (path, module.offsets);

        for (size_t i = 0; i < symbols.size(); ++i)
            if (symbols[i].rfind ("??", 0) != 0)
                lines[module.frameIndices[i]] = symbols[i];
    }

    return lines;
}
#endif

/** Prepares the unwinder (its first use loads a library and allocates) and, in a sanitizer
    build, subscribes to the sanitizer's allocation hooks. */
struct TrapInstaller
{
    TrapInstaller() noexcept
    {
        std::array<void*, 4> frames {};
        backtrace (frames.data(), (int) frames.size());

       #if ZENVAR_TRAP_USES_SANITIZER_HOOKS
        __sanitizer_install_malloc_and_free_hooks (onSanitizerAllocation, onSanitizerDeallocation);
       #endif
    }
};

const TrapInstaller trapInstaller;
} // namespace

namespace zenvar::test
{

AudioThreadTrap::ScopedAudioThread::ScopedAudioThread() noexcept { isAudioThread = true; }
AudioThreadTrap::ScopedAudioThread::~ScopedAudioThread() { isAudioThread = false; }

bool AudioThreadTrap::canTrapLocks() noexcept { return ! ZENVAR_TRAP_USES_SANITIZER_HOOKS; }

int AudioThreadTrap::getNumOffences() noexcept { return numOffences.load (std::memory_order_relaxed); }

std::string AudioThreadTrap::describeFirstOffence()
{
    if (! firstOffenceRecorded.load (std::memory_order_acquire))
        return {};

    std::ostringstream text;
    text << firstOffence.what;

    if (firstOffence.bytes > 0)
        text << " of " << firstOffence.bytes << " bytes";

    text << " on the audio thread (" << getNumOffences() << " in all), first one from:\n";

    const std::vector<void*> frames (firstOffence.frames.begin(), firstOffence.frames.begin() + firstOffence.numFrames);
    const auto lines = describeFrames (frames);

    // The innermost frames are the trap's own and, in a sanitizer build, the run-time's: the
    // report starts at the allocation or lock call itself.
    size_t first = 0;

    for (size_t frame = 0; frame < lines.size(); ++frame)
        for (const auto* machinery : { "recordOffence", "RunMallocHooks", "RunFreeHooks", "onSanitizer", "__sanitizer::", "__asan::", "__tsan::" })
            if (lines[frame].find (machinery) != std::string::npos)
                first = frame + 1;

    for (size_t frame = first; frame < lines.size() && frame < first + maxFramesShown; ++frame)
        text << "  #" << frame - first << " " << lines[frame] << "\n";

    return text.str();
}

void AudioThreadTrap::clear() noexcept
{
    firstOffenceRecorded.store (false, std::memory_order_relaxed);
    numOffences.store (0, std::memory_order_release);
}

} // namespace zenvar::test
