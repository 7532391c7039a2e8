// zenvar-split end to end: the built program runs as a child process, loads the built bundle and
// splits generated files; its band files are read back and checked against the input.

#include "tools/ZenvarSplitHost.h"
#include "tools/ZenvarSplitSumCheck.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>

namespace
{
constexpr int numBands = 4;

struct ProgramRun
{
    int exitCode = -1;
    juce::String output;
};

struct AudioFileContents
{
    juce::String formatName;
    int numChannels = 0;
    double sampleRate = 0.0;
    int bitsPerSample = 0;
    juce::AudioBuffer<float> samples;
};

class ZenvarSplitProgramTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("zenvar-split-test", "");
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    /** Runs zenvar-split and collects the streams asked for (stdout by default). */
    static ProgramRun runProgram (const juce::StringArray& arguments, int streams = juce::ChildProcess::wantStdOut)
    {
        juce::StringArray command { ZENVAR_SPLIT_EXECUTABLE };
        command.addArray (arguments);

        juce::ChildProcess process;
        ProgramRun run;

        if (! process.start (command, streams))
            return run;

        run.output = process.readAllProcessOutput();
        process.waitForProcessToFinish (120000);
        run.exitCode = (int) process.getExitCode();
        return run;
    }

    /** Writes `numSamples` of seeded noise (and a slow sine, so the low bands carry signal too). */
    juce::File writeSignal (const juce::String& name, juce::AudioFormat&& format, int numChannels, double sampleRate, int bits, int numSamples)
    {
        juce::AudioBuffer<float> signal (numChannels, numSamples);
        juce::Random random (numChannels * 1000 + bits);

        for (int channel = 0; channel < numChannels; ++channel)
            for (int n = 0; n < numSamples; ++n)
                signal.setSample (channel, n, 0.3f * (random.nextFloat() - 0.5f) + 0.4f * (float) std::sin (n * 2.0 * juce::MathConstants<double>::pi * (70.0 + 30.0 * channel) / sampleRate));

        return writeBuffer (name, format, signal, sampleRate, bits);
    }

    juce::File writeBuffer (const juce::String& name, juce::AudioFormat& format, const juce::AudioBuffer<float>& signal, double sampleRate, int bits)
    {
        const auto file = folder.getChildFile (name);
        auto stream = std::make_unique<juce::FileOutputStream> (file);
        std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream.get(), sampleRate, (unsigned int) signal.getNumChannels(), bits, {}, 0));
        EXPECT_NE (writer, nullptr) << name;

        if (writer != nullptr)
        {
            stream.release();
            writer->writeFromAudioSampleBuffer (signal, 0, signal.getNumSamples());
        }

        return file;
    }

    static AudioFileContents readAudioFile (const juce::File& file)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        const std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
        AudioFileContents contents;

        if (reader == nullptr)
            return contents;

        contents.formatName = reader->getFormatName();
        contents.numChannels = (int) reader->numChannels;
        contents.sampleRate = reader->sampleRate;
        contents.bitsPerSample = (int) reader->bitsPerSample;
        contents.samples.setSize (contents.numChannels, (int) reader->lengthInSamples);
        reader->read (&contents.samples, 0, (int) reader->lengthInSamples, 0, true, true);
        return contents;
    }

    /** Everything below the test folder, hidden files included, with sizes. */
    juce::StringArray listFolder() const
    {
        juce::StringArray listing;

        for (const auto& entry : folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*", juce::File::FollowSymlinks::no))
            listing.add (entry.getRelativePathFrom (folder) + " " + juce::String (entry.isSymbolicLink() ? -1 : entry.getSize()));

        listing.sort (false);
        return listing;
    }

    juce::File folder;
};

/** Compares the sum of the band files with the exact all-pass response of the input. The bound
    is the one zenvar-split --check applies to the plug-in's own output (3 dB above the floor that
    single precision reaches with these filters) plus the rounding of the band files to their bit
    depth. */
void expectBandsAddUpToTheAllPass (const AudioFileContents& input,
                                   const std::array<AudioFileContents, numBands>& bands,
                                   const std::array<float, 3>& crossoversHz)
{
    ZenvarSplitHost::BandBuffers bandSamples;

    for (size_t band = 0; band < bandSamples.size(); ++band)
        bandSamples[band] = bands[band].samples;

    ZenvarSplitSumCheck check;
    check.prepare (input.numChannels, input.sampleRate, crossoversHz);
    check.addBlock (input.samples, bandSamples, input.samples.getNumSamples());

    const auto isFloat = input.formatName.contains ("WAV") && input.bitsPerSample == 32;
    const auto step = isFloat ? 0.0 : std::ldexp (1.0, 1 - input.bitsPerSample);
    auto signalEnergy = 0.0;

    for (int channel = 0; channel < input.numChannels; ++channel)
        for (int n = 0; n < input.samples.getNumSamples(); ++n)
            signalEnergy += juce::square ((double) input.samples.getSample (channel, n));

    const auto numValues = (double) input.numChannels * input.samples.getNumSamples();
    const auto roundingRatio = numValues * numBands * step * step / 12.0 / signalEnergy;
    const auto floorRatio = std::pow (10.0, (*check.getFloorDb() + ZenvarSplitSumCheck::marginAboveFloorDb) / 10.0);
    const auto allowedDb = 10.0 * std::log10 (floorRatio + 2.0 * roundingRatio);

    EXPECT_LE (*check.getErrorDb(), allowedDb) << "floor " << *check.getFloorDb() << " dB";
}

juce::String expectedReportLine (int instance, const juce::String& crossovers)
{
    return "instance " + juce::String (instance) + ": link group 0, band " + juce::String (instance) + " on, crossovers " + crossovers;
}
} // namespace

//==============================================================================
TEST_F (ZenvarSplitProgramTest, FilesSplitIntoFourBandsOfTheirOwnFormatThatAddUpToTheAllPass)
{
    struct Case
    {
        const char* name;
        std::function<juce::AudioFormat*()> makeFormat;
        int numChannels;
        double sampleRate;
        int bits;
        int numSamples;
        const char* blockSize;
    };

    // clang-format off
    const Case cases[] = {
        { "stereo.wav", [] { return new juce::WavAudioFormat(); }, 2, 44100.0, 32, 30001, "1024" },
        { "mono.aiff", [] { return new juce::AiffAudioFormat(); }, 1, 48000.0, 24, 23456, "333" },
        { "stereo.flac", [] { return new juce::FlacAudioFormat(); }, 2, 96000.0, 16, 20000, "4096" },
    };
    // clang-format on

    const juce::String crossovers = "250,2000,8000";

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const std::unique_ptr<juce::AudioFormat> format (c.makeFormat());
        const auto inputFile = writeSignal (c.name, std::move (*format), c.numChannels, c.sampleRate, c.bits, c.numSamples);
        const auto bandFolder = folder.getChildFile (juce::File (c.name).getFileNameWithoutExtension() + "-bands");

        const auto run = runProgram ({ inputFile.getFullPathName(), "--out", bandFolder.getFullPathName(), "--crossovers", crossovers, "--check", "--report", "--block-size", c.blockSize });
        ASSERT_EQ (run.exitCode, 0) << run.output;

        for (int instance = 1; instance <= numBands; ++instance)
            EXPECT_TRUE (run.output.contains (expectedReportLine (instance, "250.0 Hz, 2000.0 Hz, 8000.0 Hz"))) << run.output;

        EXPECT_TRUE (run.output.contains ("at the floor of single precision")) << run.output;

        const auto input = readAudioFile (inputFile);
        std::array<AudioFileContents, numBands> bands;

        for (int band = 0; band < numBands; ++band)
        {
            const auto bandFile = bandFolder.getChildFile (inputFile.getFileNameWithoutExtension() + ".band" + juce::String (band + 1) + inputFile.getFileExtension());
            SCOPED_TRACE (bandFile.getFileName());
            ASSERT_TRUE (bandFile.existsAsFile());

            bands[(size_t) band] = readAudioFile (bandFile);
            const auto& contents = bands[(size_t) band];
            EXPECT_EQ (contents.formatName, input.formatName);
            EXPECT_EQ (contents.numChannels, c.numChannels);
            EXPECT_EQ (contents.sampleRate, c.sampleRate);
            EXPECT_EQ (contents.bitsPerSample, c.bits);
            ASSERT_EQ (contents.samples.getNumSamples(), c.numSamples);
        }

        // The bands really are four different parts of the signal, not four copies of it.
        for (int band = 1; band < numBands; ++band)
            EXPECT_GT (std::abs (bands[0].samples.getRMSLevel (0, 0, c.numSamples) - bands[(size_t) band].samples.getRMSLevel (0, 0, c.numSamples)), 0.001f);

        // The crossovers as the instances hold them: through the square-law parameter and back.
        std::array<float, 3> heldHz {};
        const double requestedHz[] = { 250.0, 2000.0, 8000.0 };

        for (size_t i = 0; i < heldHz.size(); ++i)
            heldHz[i] = ZenvarSplitHost::normalisedToCrossoverHz (ZenvarSplitHost::crossoverToNormalised (requestedHz[i]));

        expectBandsAddUpToTheAllPass (input, bands, heldHz);
    }
}

TEST_F (ZenvarSplitProgramTest, CrossoversGivenOnTheCommandLineReachAllFourInstances)
{
    const auto input = writeSignal ("short.wav", juce::WavAudioFormat(), 1, 44100.0, 16, 2000);

    struct Case
    {
        const char* argument;
        const char* reported;
    };

    // clang-format off
    const Case cases[] = {
        { nullptr, "160.0 Hz, 1000.0 Hz, 5000.0 Hz" },
        { "20,20.5,20000", "20.0 Hz, 20.5 Hz, 20000.0 Hz" },
        { "95.5,1234,12500", "95.5 Hz, 1234.0 Hz, 12500.0 Hz" },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.argument != nullptr ? c.argument : "defaults");
        juce::StringArray arguments { input.getFullPathName(), "--report", "--out", folder.getChildFile ("bands").getFullPathName() };

        if (c.argument != nullptr)
            arguments.addArray (juce::StringArray { "--crossovers", c.argument });

        const auto run = runProgram (arguments);
        ASSERT_EQ (run.exitCode, 0) << run.output;

        for (int instance = 1; instance <= numBands; ++instance)
            EXPECT_TRUE (run.output.contains (expectedReportLine (instance, c.reported))) << run.output;
    }
}

TEST_F (ZenvarSplitProgramTest, BadRequestsExitWithTheirMessageAndLeaveNothingBehind)
{
    struct Case
    {
        const char* what;
        std::function<juce::StringArray (ZenvarSplitProgramTest&)> setUp;
        int exitCode;
        const char* messageFragment;
    };

    auto inputPath = [] (ZenvarSplitProgramTest& test)
    {
        return test.folder.getChildFile ("mix.wav").getFullPathName();
    };
    auto outPath = [] (ZenvarSplitProgramTest& test)
    {
        return test.folder.getChildFile ("bands").getFullPathName();
    };
    auto writeMix = [] (ZenvarSplitProgramTest& test, int channels, double rate)
    {
        test.writeSignal ("mix.wav", juce::WavAudioFormat(), channels, rate, 16, 4000);
    };

    // clang-format off
    const Case cases[] = {
        { "missing input", [&] (auto& t) { return juce::StringArray { inputPath (t), "--out", outPath (t) }; }, 1, "cannot find the input file" },
        { "folder as input", [&] (auto& t)
          {
              t.folder.getChildFile ("mix.wav").createDirectory();
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          1, "is a folder, not an audio file" },
        { "damaged input", [&] (auto& t)
          {
              juce::MemoryBlock junk (3000);
              juce::Random (7).fillBitsRandomly (junk.getData(), junk.getSize());
              t.folder.getChildFile ("mix.wav").replaceWithData (junk.getData(), junk.getSize());
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          1, "it is not a WAV, AIFF or FLAC file, or it is damaged" },
        { "unsupported format", [&] (auto& t)
          {
              t.writeSignal ("mix.ogg", juce::OggVorbisAudioFormat(), 2, 44100.0, 16, 4000);
              return juce::StringArray { t.folder.getChildFile ("mix.ogg").getFullPathName(), "--out", outPath (t) };
          },
          1, "format, which zenvar-split does not split" },
        { "three channels", [&] (auto& t)
          {
              writeMix (t, 3, 44100.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          1, "has 3 channels; the plug-in splits mono and stereo signals only" },
        { "crossover below 20 Hz", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--crossovers", "10,1000,5000" };
          },
          2, "outside the plug-in's range of 20 to 20000 Hz" },
        { "crossover above 20 kHz", [&] (auto& t)
          {
              writeMix (t, 2, 96000.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--crossovers", "160,1000,21000" };
          },
          2, "outside the plug-in's range of 20 to 20000 Hz" },
        { "crossovers not ascending", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--crossovers", "160,5000,1000" };
          },
          2, "the frequencies must ascend" },
        { "crossover above half the sample rate", [&] (auto& t)
          {
              writeMix (t, 1, 8000.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          2, "lies at or above half the sample rate of 8000 Hz" },
        { "output linked to the input", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              t.folder.getChildFile ("bands").createDirectory();
              t.folder.getChildFile ("mix.wav").createSymbolicLink (t.folder.getChildFile ("bands/mix.band2.wav"), false);
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          1, "would overwrite the input" },
        { "plot into a missing folder", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--plot", t.folder.getChildFile ("nowhere/response.png").getFullPathName() };
          },
          1, "its folder does not exist" },
        { "--out names a file", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              t.folder.getChildFile ("bands").replaceWithText ("not a folder");
              return juce::StringArray { inputPath (t), "--out", outPath (t) };
          },
          1, "is a file, not a folder" },
        { "missing bundle", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--plugin", t.folder.getChildFile ("nowhere/Zenvar.vst3").getFullPathName() };
          },
          1, "Build it with scripts/run.sh" },
        { "not a bundle", [&] (auto& t)
          {
              writeMix (t, 2, 44100.0);
              t.folder.getChildFile ("Fake.vst3").createDirectory();
              return juce::StringArray { inputPath (t), "--out", outPath (t), "--plugin", t.folder.getChildFile ("Fake.vst3").getFullPathName() };
          },
          1, "is not a VST3 bundle that can be loaded" },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        folder.deleteRecursively();
        ASSERT_TRUE (folder.createDirectory());

        const auto arguments = c.setUp (*this);
        const auto before = listFolder();
        const auto run = runProgram (arguments, juce::ChildProcess::wantStdErr);

        EXPECT_EQ (run.exitCode, c.exitCode) << run.output;
        EXPECT_TRUE (run.output.startsWith ("zenvar-split: ")) << run.output;
        EXPECT_TRUE (run.output.contains (c.messageFragment)) << run.output;
        EXPECT_EQ (listFolder(), before) << "files appeared or changed";
    }
}

TEST_F (ZenvarSplitProgramTest, PipedOutputCarriesOnlyTheSummary)
{
    const auto input = writeSignal ("long.wav", juce::WavAudioFormat(), 1, 44100.0, 16, 44100 * 20);
    const auto run = runProgram ({ input.getFullPathName() }, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto lines = juce::StringArray::fromLines (run.output.trimEnd());
    ASSERT_EQ (lines.size(), 1) << run.output;
    EXPECT_TRUE (lines[0].startsWith ("long.wav: 20.00 s of mono, 44100 Hz, 16-bit WAV split into 4 bands in ")) << lines[0];
    EXPECT_TRUE (lines[0].contains ("x real time")) << lines[0];
    EXPECT_FALSE (run.output.containsChar ('\r'));
    EXPECT_TRUE (folder.getChildFile ("long.band4.wav").existsAsFile());
}

TEST_F (ZenvarSplitProgramTest, ResponsePlotShowsTheFourBandColours)
{
    const auto plot = folder.getChildFile ("response.png");
    const auto run = runProgram ({ "--plot", plot.getFullPathName(), "--crossovers", "100,1000,10000" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto image = juce::ImageFileFormat::loadFrom (plot);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), 1800);
    EXPECT_EQ (image.getHeight(), 1000);

    const juce::Colour bandColours[] = { juce::Colour (0xffd0011b), juce::Colour (0xff7ed321), juce::Colour (0xff4990e2), juce::Colour (0xfffe8712) };

    for (const auto colour : bandColours)
    {
        SCOPED_TRACE (colour.toDisplayString (false));
        int matching = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y) == colour)
                    ++matching;

        // Each band's curve runs across a good part of the picture in its exact colour.
        EXPECT_GT (matching, 1000);
    }
}

TEST_F (ZenvarSplitProgramTest, DemonstrationSignalReachesEveryBand)
{
    const auto demo = folder.getChildFile ("demo.wav");
    ASSERT_EQ (runProgram ({ "--make-demo", demo.getFullPathName() }).exitCode, 0);

    const auto contents = readAudioFile (demo);
    EXPECT_EQ (contents.numChannels, 2);
    EXPECT_EQ (contents.sampleRate, 44100.0);
    EXPECT_EQ (contents.bitsPerSample, 24);
    EXPECT_EQ (contents.samples.getNumSamples(), 8 * 44100);
    EXPECT_NEAR (juce::Decibels::gainToDecibels (contents.samples.getMagnitude (0, contents.samples.getNumSamples())), -1.0, 0.01);

    ASSERT_EQ (runProgram ({ demo.getFullPathName() }).exitCode, 0);

    for (int band = 1; band <= numBands; ++band)
    {
        SCOPED_TRACE (band);
        const auto bandContents = readAudioFile (folder.getChildFile ("demo.band" + juce::String (band) + ".wav"));
        const auto level = juce::Decibels::gainToDecibels (bandContents.samples.getRMSLevel (0, 0, bandContents.samples.getNumSamples()));
        EXPECT_GT (level, -40.0);
    }
}
