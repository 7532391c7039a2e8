#pragma once

#include "tools/ZenvarSplitHost.h"
#include "tools/ZenvarSplitOutputFile.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <array>
#include <memory>

/** The four band files of one split, written in the input's format and committed together: they
    appear under their names only when all four are complete, and not at all when the run fails.
    [main thread] */
class ZenvarSplitBandFiles
{
public:
    using Targets = std::array<juce::File, ZenvarSplitHost::numBands>;

    /** The band files of `input`: NAME.band1.EXT to NAME.band4.EXT, in `outputDirectory`, or
        beside the input when that is a default-constructed File. */
    static Targets planTargets (const juce::File& input, const juce::File& outputDirectory);

    /** Opens the four temporary files and their writers. Throws ZenvarSplitFailure when a file
        cannot be created or `format` cannot store this sample rate, channel count or bit depth. */
    ZenvarSplitBandFiles (const Targets& targets, juce::AudioFormat& format, double sampleRate, int numChannels, int bitsPerSample);
    ~ZenvarSplitBandFiles();

    /** Appends the first `numSamples` of each band; throws ZenvarSplitFailure when writing fails
        (a full disk, for example). */
    void write (const ZenvarSplitHost::BandBuffers& bands, int numSamples);

    /** Finishes the four files, reads each back to make sure it is whole, and renames them onto
        their targets. If a rename fails, the band files already moved are removed again before
        the failure is thrown. */
    void commit();

    const Targets& getTargets() const noexcept { return targets; }

private:
    void verifyFinishedFile (const ZenvarSplitOutputFile& file) const;

    juce::AudioFormat& format;
    double sampleRate;
    int numChannels;
    juce::int64 samplesWritten = 0;
    Targets targets;
    std::array<std::unique_ptr<ZenvarSplitOutputFile>, ZenvarSplitHost::numBands> files;
    std::array<std::unique_ptr<juce::AudioFormatWriter>, ZenvarSplitHost::numBands> writers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarSplitBandFiles)
};
