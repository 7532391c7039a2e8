#include "tools/ZenvarSplitBandFiles.h"

#include "tools/ZenvarSplitFailure.h"

ZenvarSplitBandFiles::Targets ZenvarSplitBandFiles::planTargets (const juce::File& input, const juce::File& outputDirectory)
{
    const auto folder = outputDirectory == juce::File() ? input.getParentDirectory() : outputDirectory;
    Targets planned;

    for (size_t band = 0; band < planned.size(); ++band)
        planned[band] = folder.getChildFile (input.getFileNameWithoutExtension() + ".band" + juce::String (band + 1)
                                             + input.getFileExtension());

    return planned;
}

ZenvarSplitBandFiles::ZenvarSplitBandFiles (const Targets& bandTargets,
                                            juce::AudioFormat& audioFormat,
                                            double rate,
                                            int channels,
                                            int bitsPerSample)
    : format (audioFormat)
    , sampleRate (rate)
    , numChannels (channels)
    , targets (bandTargets)
{
    if (! format.getPossibleBitDepths().contains (bitsPerSample))
        throw ZenvarSplitFailure ("cannot write the band files as " + juce::String (bitsPerSample) + "-bit "
                                  + format.getFormatName() + "s, and they must keep the input's bit depth");

    for (size_t band = 0; band < targets.size(); ++band)
    {
        files[band] = std::make_unique<ZenvarSplitOutputFile> (targets[band]);
        auto stream = files[band]->createStream();
        writers[band].reset (format.createWriterFor (stream.get(), sampleRate, (unsigned int) numChannels, bitsPerSample, {}, 0));

        if (writers[band] == nullptr)
            throw ZenvarSplitFailure ("cannot write " + targets[band].getFullPathName() + " as a " + format.getFormatName()
                                      + " with " + juce::String (numChannels) + " channels at " + juce::String (sampleRate, 0)
                                      + " Hz and " + juce::String (bitsPerSample) + " bits");

        stream.release(); // the writer owns it now
    }
}

ZenvarSplitBandFiles::~ZenvarSplitBandFiles()
{
    // The writers hold the temporary files open; close them before the files are dropped.
    for (auto& writer : writers)
        writer.reset();
}

void ZenvarSplitBandFiles::write (const ZenvarSplitHost::BandBuffers& bands, int numSamples)
{
    for (size_t band = 0; band < writers.size(); ++band)
        if (! writers[band]->writeFromAudioSampleBuffer (bands[band], 0, numSamples))
            throw ZenvarSplitFailure ("writing " + targets[band].getFullPathName() + " failed (is the disk full?)");

    samplesWritten += numSamples;
}

void ZenvarSplitBandFiles::commit()
{
    // Deleting a writer completes its file's header.
    for (auto& writer : writers)
        writer.reset();

    for (const auto& file : files)
        verifyFinishedFile (*file);

    for (size_t band = 0; band < files.size(); ++band)
    {
        try
        {
            files[band]->commit();
        }
        catch (const ZenvarSplitFailure&)
        {
            for (size_t moved = 0; moved < band; ++moved)
                targets[moved].deleteFile();

            throw;
        }
    }
}

void ZenvarSplitBandFiles::verifyFinishedFile (const ZenvarSplitOutputFile& file) const
{
    const std::unique_ptr<juce::AudioFormatReader> reader (
        format.createReaderFor (new juce::FileInputStream (file.getTemporaryFile()), true));

    if (reader == nullptr || reader->lengthInSamples != samplesWritten || (int) reader->numChannels != numChannels
        || reader->sampleRate != sampleRate)
        throw ZenvarSplitFailure ("writing " + file.getTarget().getFullPathName()
                                  + " did not complete (is the disk full?); no band file was written");
}
