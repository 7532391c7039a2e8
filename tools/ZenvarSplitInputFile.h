#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

/** The audio file to split, opened and checked before any work starts: it must exist, be a
    readable WAV, AIFF or FLAC file and carry one or two channels. It also supplies the format in
    which the band files are written, so they match the input. [main thread] */
class ZenvarSplitInputFile
{
public:
    /** Opens `file`. Throws ZenvarSplitFailure, with a message naming the file and the trouble,
        when it is missing, a folder, unreadable, in another format or damaged, or has more than
        two channels. */
    explicit ZenvarSplitInputFile (const juce::File& file);
    ~ZenvarSplitInputFile();

    /** Reads `numSamples` from `startSample` into the start of `destination`, which has the
        file's channel count; throws ZenvarSplitFailure when the file cannot be read. */
    void read (juce::AudioBuffer<float>& destination, juce::int64 startSample, int numSamples);

    /** The format the file is in, to write the band files with. */
    juce::AudioFormat& getFormat() const noexcept { return *format; }

    const juce::File& getFile() const noexcept { return file; }
    int getNumChannels() const noexcept { return (int) reader->numChannels; }
    double getSampleRate() const noexcept { return reader->sampleRate; }
    int getBitsPerSample() const noexcept { return (int) reader->bitsPerSample; }
    juce::int64 getLengthInSamples() const noexcept { return reader->lengthInSamples; }
    double getLengthInSeconds() const noexcept { return (double) getLengthInSamples() / getSampleRate(); }

    /** For messages and the summary, e.g. "stereo, 44100 Hz, 24-bit WAV". */
    juce::String describe() const;

private:
    juce::File file;
    juce::AudioFormatManager supportedFormats;
    juce::AudioFormat* format = nullptr;
    std::unique_ptr<juce::AudioFormatReader> reader;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarSplitInputFile)
};
