#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** A file that appears under its name only once it is complete: it is written under a hidden
    temporary name beside its target and renamed onto the target by commit(). Dropped before
    commit(), it leaves nothing behind, so a failed run never leaves a partial or corrupt file.
    [main thread] */
class ZenvarSplitOutputFile
{
public:
    /** Prepares to write `target`; its folder must exist. */
    explicit ZenvarSplitOutputFile (const juce::File& target);
    ~ZenvarSplitOutputFile();

    /** Opens the temporary file for writing; throws ZenvarSplitFailure when it cannot be created
        (the message names the target). */
    std::unique_ptr<juce::FileOutputStream> createStream();

    /** Renames the finished temporary file onto the target, replacing an older file of that name;
        throws ZenvarSplitFailure when that fails. Close every stream first. */
    void commit();

    const juce::File& getTarget() const noexcept { return temporary.getTargetFile(); }

    /** The file being written until commit(). */
    const juce::File& getTemporaryFile() const noexcept { return temporary.getFile(); }

    /** True when `a` and `b` name the same file, also through symbolic or hard links. */
    static bool refersToSameFile (const juce::File& a, const juce::File& b);

private:
    juce::TemporaryFile temporary;
    bool committed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarSplitOutputFile)
};
