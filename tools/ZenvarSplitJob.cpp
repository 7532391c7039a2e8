#include "tools/ZenvarSplitJob.h"

#include "tools/ZenvarSplitBandFiles.h"
#include "tools/ZenvarSplitDemoSignal.h"
#include "tools/ZenvarSplitFailure.h"
#include "tools/ZenvarSplitHost.h"
#include "tools/ZenvarSplitInputFile.h"
#include "tools/ZenvarSplitOutputFile.h"
#include "tools/ZenvarSplitProgress.h"
#include "tools/ZenvarSplitResponsePlot.h"
#include "tools/ZenvarSplitSumCheck.h"

#include <iostream>

namespace
{
/** The response plot is measured at this rate when no input decides it. */
constexpr double plotOnlySampleRate = 48000.0;

juce::File resolvePath (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

/** A folder created for the band files, removed again if the run fails and leaves it empty. */
class CreatedFolder
{
public:
    explicit CreatedFolder (const juce::File& folderToCreate)
    {
        if (folderToCreate.isDirectory())
            return;

        if (folderToCreate.exists())
            throw ZenvarSplitFailure ("--out " + folderToCreate.getFullPathName() + " is a file, not a folder");

        if (! folderToCreate.createDirectory())
            throw ZenvarSplitFailure ("cannot create the output folder " + folderToCreate.getFullPathName());

        folder = folderToCreate;
    }

    ~CreatedFolder()
    {
        if (! keep && folder != juce::File() && folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles) == 0)
            folder.deleteRecursively();
    }

    void keepIt() noexcept { keep = true; }

private:
    juce::File folder;
    bool keep = false;
};

void printInstanceStates (ZenvarSplitHost& host)
{
    const auto states = host.readInstanceStates();

    for (size_t i = 0; i < states.size(); ++i)
        std::cout << "instance " << (i + 1) << ": " << states[i].describe() << std::endl;
}
} // namespace

//==============================================================================
ZenvarSplitJob::ZenvarSplitJob (const ZenvarSplitOptions& optionsToRun)
    : options (optionsToRun)
{
}

int ZenvarSplitJob::run()
{
    switch (options.task)
    {
        case ZenvarSplitOptions::Task::split:
            return split();

        case ZenvarSplitOptions::Task::plotOnly:
            plotOnly();
            return 0;

        case ZenvarSplitOptions::Task::makeDemo:
            makeDemo();
            return 0;

        case ZenvarSplitOptions::Task::showHelp:
            std::cout << ZenvarSplitCommandLine::getHelpText();
            return 0;
    }

    return 0;
}

//==============================================================================
int ZenvarSplitJob::split()
{
    ZenvarSplitInputFile input (resolvePath (options.inputPath));
    checkCrossoversFit (input.getSampleRate());

    const auto outputDirectory = resolveOutputDirectory (input.getFile());
    const auto targets = ZenvarSplitBandFiles::planTargets (input.getFile(), outputDirectory);
    checkNothingOverwritesInput (input, targets);

    // Measured and drawn first, with instances of its own that are gone before the split's four
    // start; the picture is committed together with the band files.
    const auto plotFile = drawResponsesIfAsked (input.getSampleRate());
    const auto startMs = juce::Time::getMillisecondCounterHiRes();

    ZenvarSplitHost host (ZenvarSplitHost::resolveBundlePath (options.pluginPath), input.getNumChannels(), input.getSampleRate(), options.blockSize);
    host.applyCrossovers (options.crossoversHz);

    if (options.report)
        printInstanceStates (host);

    CreatedFolder createdFolder (outputDirectory == juce::File() ? input.getFile().getParentDirectory() : outputDirectory);
    ZenvarSplitBandFiles bandFiles (targets, input.getFormat(), input.getSampleRate(), input.getNumChannels(), input.getBitsPerSample());

    ZenvarSplitSumCheck check;
    check.prepare (input.getNumChannels(), input.getSampleRate(), host.getCrossoversHz());

    juce::AudioBuffer<float> block (input.getNumChannels(), options.blockSize);
    auto bands = host.createBandBuffers();
    ZenvarSplitProgress progress (input.getLengthInSamples(), input.getSampleRate());

    for (juce::int64 done = 0; done < input.getLengthInSamples();)
    {
        const auto numSamples = (int) std::min ((juce::int64) options.blockSize, input.getLengthInSamples() - done);
        input.read (block, done, numSamples);
        host.process (block, numSamples, bands);
        bandFiles.write (bands, numSamples);

        if (options.check)
            check.addBlock (block, bands, numSamples);

        done += numSamples;
        progress.update (done);
    }

    bandFiles.commit();
    createdFolder.keepIt();

    if (plotFile != nullptr)
        plotFile->commit();

    progress.finish();
    const auto elapsedSeconds = (juce::Time::getMillisecondCounterHiRes() - startMs) / 1000.0;

    std::cout << input.getFile().getFileName() << ": " << juce::String (input.getLengthInSeconds(), 2) << " s of "
              << input.describe() << " split into 4 bands in " << juce::String (elapsedSeconds, 2) << " s ("
              << juce::String (input.getLengthInSeconds() / std::max (elapsedSeconds, 1.0e-6), 1) << "x real time): "
              << targets[0].getFullPathName() << " .. " << targets[3].getFileName() << std::endl;

    if (plotFile != nullptr)
        std::cout << "response plot: " << plotFile->getTarget().getFullPathName() << std::endl;

    if (! options.check)
        return 0;

    std::cout << check.describe() << std::endl;

    if (check.passes())
        return 0;

    std::cerr << "zenvar-split: the four bands do not add up to the all-pass response of the input; "
                 "the band files are kept for inspection"
              << std::endl;
    return ZenvarSplitFailure::checkFailed;
}

void ZenvarSplitJob::plotOnly()
{
    const auto plotFile = drawResponsesIfAsked (plotOnlySampleRate);
    plotFile->commit();
    std::cout << "response plot: " << plotFile->getTarget().getFullPathName() << std::endl;
}

void ZenvarSplitJob::makeDemo()
{
    const auto file = resolvePath (options.demoPath);

    if (! file.getParentDirectory().isDirectory())
        throw ZenvarSplitFailure ("cannot write " + file.getFullPathName() + ": its folder does not exist");

    ZenvarSplitDemoSignal::writeTo (file);
    std::cout << "demonstration signal: " << file.getFullPathName() << " ("
              << juce::String (ZenvarSplitDemoSignal::lengthInSeconds, 1) << " s, stereo, 44100 Hz, 24-bit WAV)" << std::endl;
}

//==============================================================================
void ZenvarSplitJob::checkCrossoversFit (double sampleRate) const
{
    for (const auto hz : options.crossoversHz)
        if (hz >= sampleRate * 0.5)
            throw ZenvarSplitFailure ("the crossover at " + juce::String (hz, 0) + " Hz lies at or above half the sample rate of "
                                          + juce::String (sampleRate, 0) + " Hz; choose lower --crossovers for this file",
                                      ZenvarSplitFailure::badArguments);
}

std::unique_ptr<ZenvarSplitOutputFile> ZenvarSplitJob::drawResponsesIfAsked (double sampleRate) const
{
    if (options.plotPath.isEmpty())
        return nullptr;

    const auto target = resolvePath (options.plotPath);

    if (! target.getParentDirectory().isDirectory())
        throw ZenvarSplitFailure ("cannot write the response plot " + target.getFullPathName() + ": its folder does not exist");

    checkCrossoversFit (sampleRate);
    auto plotFile = std::make_unique<ZenvarSplitOutputFile> (target);

    ZenvarSplitHost host (ZenvarSplitHost::resolveBundlePath (options.pluginPath), 1, sampleRate, options.blockSize);
    host.applyCrossovers (options.crossoversHz);
    ZenvarSplitResponsePlot::writePng (ZenvarSplitResponseMeasurement::measure (host), *plotFile);
    return plotFile;
}

juce::File ZenvarSplitJob::resolveOutputDirectory (const juce::File& input) const
{
    if (options.outputDirectory.isEmpty())
        return {};

    const auto folder = resolvePath (options.outputDirectory);

    if (folder.existsAsFile())
        throw ZenvarSplitFailure ("--out " + folder.getFullPathName() + " is a file, not a folder");

    if (ZenvarSplitOutputFile::refersToSameFile (folder, input))
        throw ZenvarSplitFailure ("--out names the input file");

    return folder;
}

void ZenvarSplitJob::checkNothingOverwritesInput (const ZenvarSplitInputFile& input, const std::array<juce::File, 4>& targets) const
{
    auto refuse = [&input] (const juce::File& output)
    {
        throw ZenvarSplitFailure ("the output " + output.getFullPathName() + " would overwrite the input "
                                  + input.getFile().getFullPathName() + "; choose another --out folder or --plot name");
    };

    for (const auto& target : targets)
        if (ZenvarSplitOutputFile::refersToSameFile (target, input.getFile()))
            refuse (target);

    if (options.plotPath.isEmpty())
        return;

    const auto plot = resolvePath (options.plotPath);

    if (ZenvarSplitOutputFile::refersToSameFile (plot, input.getFile()))
        refuse (plot);

    for (const auto& target : targets)
        if (ZenvarSplitOutputFile::refersToSameFile (plot, target))
            throw ZenvarSplitFailure ("--plot " + plot.getFullPathName() + " names one of the band files");
}
