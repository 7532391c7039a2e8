#include "tools/ZenvarSplitCommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace
{
/** Reads a whole argument as a finite number; anything else ("12k", "", "nan") fails. */
bool parseNumber (const juce::String& text, double& value)
{
    const auto trimmed = text.trim();

    if (trimmed.isEmpty())
        return false;

    const auto utf8 = trimmed.toStdString();
    char* end = nullptr;
    errno = 0;
    value = std::strtod (utf8.c_str(), &end);
    return errno == 0 && end == utf8.c_str() + utf8.size() && std::isfinite (value);
}

juce::String formatHz (double hz)
{
    if (hz == std::floor (hz) && std::abs (hz) < 1.0e9)
        return juce::String ((juce::int64) hz) + " Hz";

    return juce::String (hz, 3).trimCharactersAtEnd ("0") + " Hz";
}

/** Walks the arguments, handing out option values in either "--name value" or "--name=value"
    form. */
class ArgumentCursor
{
public:
    explicit ArgumentCursor (const juce::StringArray& args)
        : arguments (args)
    {
    }

    bool next()
    {
        if (++index >= arguments.size())
            return false;

        const auto& argument = arguments[index];
        inlineValue = {};
        hasInlineValue = argument.startsWith ("--") && argument.contains ("=");
        name = hasInlineValue ? argument.upToFirstOccurrenceOf ("=", false, false) : argument;

        if (hasInlineValue)
            inlineValue = argument.fromFirstOccurrenceOf ("=", false, false);

        return true;
    }

    const juce::String& getName() const noexcept { return name; }
    bool hasValueAttached() const noexcept { return hasInlineValue; }

    /** The value of the current option; false when the command line ends first. */
    bool takeValue (juce::String& value)
    {
        if (hasInlineValue)
        {
            value = inlineValue;
            return true;
        }

        if (index + 1 >= arguments.size())
            return false;

        value = arguments[++index];
        return true;
    }

private:
    const juce::StringArray& arguments;
    int index = -1;
    juce::String name, inlineValue;
    bool hasInlineValue = false;
};

juce::String checkTaskCombination (const ZenvarSplitOptions& options, bool outputOptionGiven)
{
    if (options.demoPath.isNotEmpty())
    {
        if (options.inputPath.isNotEmpty() || options.plotPath.isNotEmpty() || options.check || options.report || outputOptionGiven)
            return "--make-demo only writes the demonstration signal; run zenvar-split again to split it";

        if (! options.demoPath.endsWithIgnoreCase (".wav"))
            return "--make-demo writes a WAV file; give it a name ending in .wav";

        return {};
    }

    if (options.plotPath.isNotEmpty() && ! options.plotPath.endsWithIgnoreCase (".png"))
        return "--plot draws a PNG picture; give it a name ending in .png";

    if (options.inputPath.isEmpty())
    {
        if (options.plotPath.isEmpty())
            return "no input file given (zenvar-split --help shows how to use it)";

        if (options.check || options.report || outputOptionGiven)
            return "--check, --report and --out need an input file to split";
    }

    return {};
}
} // namespace

//==============================================================================
juce::String ZenvarSplitCommandLine::parseCrossovers (const juce::String& text, std::array<double, 3>& crossoversHz)
{
    const auto fields = juce::StringArray::fromTokens (text, ",", "");
    std::array<double, 3> values {};

    if (fields.size() != 3)
        return "--crossovers needs three frequencies in Hz separated by commas, for example 160,1000,5000";

    for (int i = 0; i < 3; ++i)
    {
        auto& value = values[(size_t) i];

        if (! parseNumber (fields[i], value))
            return "--crossovers: \"" + fields[i].trim() + "\" is not a frequency in Hz";

        if (value < minimumCrossoverHz || value > maximumCrossoverHz)
            return "--crossovers: crossover " + juce::String (i + 1) + " (" + formatHz (value)
                   + ") is outside the plug-in's range of 20 to 20000 Hz";

        if (i > 0 && value <= values[(size_t) i - 1])
            return "--crossovers: the frequencies must ascend, but crossover " + juce::String (i + 1) + " ("
                   + formatHz (value) + ") is not above crossover " + juce::String (i) + " ("
                   + formatHz (values[(size_t) i - 1]) + ")";
    }

    crossoversHz = values;
    return {};
}

ZenvarSplitCommandLine::Parsed ZenvarSplitCommandLine::parse (const juce::StringArray& arguments,
                                                              const juce::String& defaultPluginPath)
{
    Parsed parsed;
    auto& options = parsed.options;
    options.pluginPath = defaultPluginPath;
    auto outputOptionGiven = false;
    ArgumentCursor cursor (arguments);

    auto fail = [&parsed] (const juce::String& message)
    {
        parsed.errorMessage = message;
        return parsed;
    };

    while (cursor.next())
    {
        const auto& name = cursor.getName();
        juce::String value;

        auto needsValue = [&]
        {
            return cursor.takeValue (value) && value.isNotEmpty();
        };

        if (name == "-h" || name == "--help")
        {
            options.task = ZenvarSplitOptions::Task::showHelp;
            return parsed;
        }

        if (name == "--check" || name == "--report")
        {
            if (cursor.hasValueAttached())
                return fail (name + " takes no value");

            (name == "--check" ? options.check : options.report) = true;
        }
        else if (name == "--crossovers")
        {
            if (! needsValue())
                return fail ("--crossovers needs three frequencies in Hz, for example --crossovers 160,1000,5000");

            const auto error = parseCrossovers (value, options.crossoversHz);

            if (error.isNotEmpty())
                return fail (error);
        }
        else if (name == "--out" || name == "--plugin" || name == "--plot" || name == "--make-demo")
        {
            if (! needsValue())
                return fail (name + " needs a path");

            if (name == "--out")
            {
                options.outputDirectory = value;
                outputOptionGiven = true;
            }
            else if (name == "--plugin")
            {
                options.pluginPath = value;
            }
            else
            {
                (name == "--plot" ? options.plotPath : options.demoPath) = value;
            }
        }
        else if (name == "--block-size")
        {
            double size = 0.0;

            if (! needsValue() || ! parseNumber (value, size) || size != std::floor (size) || size < 16.0 || size > 65536.0)
                return fail ("--block-size needs a whole number of samples from 16 to 65536");

            options.blockSize = (int) size;
        }
        else if (name.startsWith ("-") && name != "-")
        {
            return fail ("unknown option " + name + " (zenvar-split --help lists the options)");
        }
        else
        {
            if (options.inputPath.isNotEmpty())
                return fail ("more than one input file given (" + options.inputPath + ", " + name + "); split one file at a time");

            options.inputPath = name;
        }
    }

    if (options.pluginPath.isEmpty())
        return fail ("no plug-in bundle known; pass --plugin PATH/Zenvar.vst3");

    const auto combinationError = checkTaskCombination (options, outputOptionGiven);

    if (combinationError.isNotEmpty())
        return fail (combinationError);

    if (options.demoPath.isNotEmpty())
        options.task = ZenvarSplitOptions::Task::makeDemo;
    else
        options.task = options.inputPath.isNotEmpty() ? ZenvarSplitOptions::Task::split : ZenvarSplitOptions::Task::plotOnly;

    return parsed;
}

juce::String ZenvarSplitCommandLine::getHelpText()
{
    return R"(zenvar-split: splits an audio file into its four bands through the Zenvar VST3 plug-in.

Usage:
  zenvar-split [options] INPUT          split INPUT into NAME.band1.EXT ... NAME.band4.EXT
  zenvar-split --plot FILE.png          draw the bands' responses (with or without an INPUT)
  zenvar-split --make-demo FILE.wav     write a few seconds of demonstration music to split

zenvar-split loads the built plug-in bundle the way a host does and creates four instances in one
process. They join link group 0 with bands 1, 2, 3 and 4 switched on, as the plug-in arranges by
itself. The crossovers are set on the first instance only; the link group carries them to the
other three, and the program stops with an error unless all four hold them. The input is then
streamed through all four instances and each band is written to its own file, with the input's
sample rate, channel count (mono or stereo), bit depth and format (WAV, AIFF or FLAC). Outputs are
written to temporary files and renamed only when everything succeeded.

Options:
  --crossovers A,B,C   crossover frequencies in Hz, ascending, each 20..20000
                       (default 160,1000,5000); all must lie below half the sample rate
  --out DIR            write the band files into DIR (created if missing), not beside INPUT
  --plugin PATH        the Zenvar.vst3 bundle to load (default: the one this build made)
  --plot FILE.png      measure the four bands' magnitude responses through the plug-in (an
                       impulse through the four instances) and draw them with their sum
  --check              report how far the sum of the four bands is from the all-pass
                       response of the input (see below)
  --report             print the link group, band switches and crossovers of each instance
  --block-size N       samples per processing block, 16..65536 (default 1024)
  --make-demo FILE.wav write the demonstration signal (bass line, chords, noise bursts)
  -h, --help           show this text

What --check measures:
  The four bands of the plug-in add up to an all-pass: the input at its full level at every
  frequency, turned in phase by the three crossovers. --check computes that all-pass exactly, in
  double precision and from its textbook form (per crossover the second-order all-pass that a
  Linkwitz-Riley low-pass and high-pass sum to, by the bilinear transform with the plug-in's
  tangent pre-warping; the three in cascade). It never forms or sums bands, so it cannot share a
  fault of the band tree. The sum of the four band signals is compared with it sample by sample,
  and the error energy is reported in dB relative to the signal energy.
  The plug-in computes in single precision, so it cannot match the exact response perfectly.
  --check therefore also runs the same filters in single precision, rounding their coefficients
  each way a faithful design may, and reports the worst as the floor. A correct split lands at
  that floor (within 3 dB); a band routed wrongly, a missing all-pass, a dropped or shifted block,
  or an instance holding other crossovers lands far above it. Low crossovers at high sample rates
  raise the floor of single-precision filters of this kind: about -80 dB for music at the default
  crossovers and 44.1 kHz, but -40 dB or more with a crossover near 20 Hz at 96 or 192 kHz. The
  figures are taken on the band signals as the plug-in produced them; 16- and 24-bit band files
  add their own rounding.

Exit status:
  0 done; 1 the input, the plug-in or an output failed (nothing is written); 2 bad command
  line; 3 --check found the band sum more than 3 dB above the floor (the band files are
  kept for inspection).
)";
}
