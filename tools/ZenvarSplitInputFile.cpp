#include "tools/ZenvarSplitInputFile.h"

#include "tools/ZenvarSplitFailure.h"

namespace
{
juce::String getShortFormatName (const juce::AudioFormat& format)
{
    return format.getFormatName().upToFirstOccurrenceOf (" file", false, true);
}

/** Names the format of a file this tool does not split, when JUCE knows it. */
juce::String identifyOtherFormat (const juce::File& file)
{
    juce::AudioFormatManager allFormats;
    allFormats.registerBasicFormats();

    if (const std::unique_ptr<juce::AudioFormatReader> other { allFormats.createReaderFor (file) })
        return other->getFormatName().upToFirstOccurrenceOf (" file", false, true);

    return {};
}
} // namespace

//==============================================================================
ZenvarSplitInputFile::ZenvarSplitInputFile (const juce::File& inputFile)
    : file (inputFile)
{
    const auto name = file.getFullPathName();

    if (file.isDirectory())
        throw ZenvarSplitFailure (name + " is a folder, not an audio file");

    if (! file.existsAsFile())
        throw ZenvarSplitFailure ("cannot find the input file " + name);

    {
        juce::FileInputStream probe (file);

        if (probe.failedToOpen())
            throw ZenvarSplitFailure ("cannot open the input file " + name + ": " + probe.getStatus().getErrorMessage());
    }

    supportedFormats.registerFormat (new juce::WavAudioFormat(), true);
    supportedFormats.registerFormat (new juce::AiffAudioFormat(), false);
    supportedFormats.registerFormat (new juce::FlacAudioFormat(), false);

    reader.reset (supportedFormats.createReaderFor (file));

    if (reader == nullptr)
    {
        const auto otherFormat = identifyOtherFormat (file);

        if (otherFormat.isNotEmpty())
            throw ZenvarSplitFailure (name + " is in the " + otherFormat + " format, which zenvar-split does not split; it reads WAV, AIFF and FLAC");

        throw ZenvarSplitFailure ("cannot read " + name + ": it is not a WAV, AIFF or FLAC file, or it is damaged");
    }

    for (int i = 0; i < supportedFormats.getNumKnownFormats(); ++i)
        if (supportedFormats.getKnownFormat (i)->getFormatName() == reader->getFormatName())
            format = supportedFormats.getKnownFormat (i);

    if (format == nullptr || reader->numChannels == 0 || ! (reader->sampleRate > 0.0) || reader->lengthInSamples < 0)
        throw ZenvarSplitFailure ("cannot read " + name + ": its header is damaged");

    if (reader->numChannels > 2)
        throw ZenvarSplitFailure (name + " has " + juce::String (reader->numChannels)
                                  + " channels; the plug-in splits mono and stereo signals only");
}

ZenvarSplitInputFile::~ZenvarSplitInputFile() = default;

void ZenvarSplitInputFile::read (juce::AudioBuffer<float>& destination, juce::int64 startSample, int numSamples)
{
    jassert (destination.getNumChannels() == getNumChannels() && destination.getNumSamples() >= numSamples);

    if (! reader->read (&destination, 0, numSamples, startSample, true, true))
        throw ZenvarSplitFailure ("reading " + file.getFullPathName() + " failed at sample " + juce::String (startSample));
}

juce::String ZenvarSplitInputFile::describe() const
{
    const auto channels = getNumChannels() == 1 ? juce::String ("mono") : juce::String ("stereo");
    const auto bits = juce::String (getBitsPerSample()) + "-bit" + (reader->usesFloatingPointData ? " float" : "");
    return channels + ", " + juce::String (getSampleRate(), 0) + " Hz, " + bits + " " + getShortFormatName (*format);
}
